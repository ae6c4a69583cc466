#!/usr/bin/env python3
"""Prints the NIST ITS-90 inverse coefficients as per-microvolt C++ tables.

NIST gives t90 = sum d_i * E^i with E in mV; with x in uV the coefficient of x^i is d_i / 1000^i.
The scaling is done in decimal (a shift of the decimal point), so every printed literal carries
exactly NIST's digits. Run by hand; the output was pasted into thermo/Thermocouples.cpp, where
the first-order coefficient of type T below 0 uV was then set to 0.025949723641258 on purpose.

    python3 scripts/gen_thermo_tables.py path/to/nist-its90-inverse.json
"""
import json
import sys
from decimal import Decimal


def fmt_range(v):
    s = ("%g" % v).replace("-", "m").replace(".", "_")
    return s


def literal(d, i):
    v = Decimal(repr(d)).scaleb(-3 * i)
    if v == 0:
        return "0.0"
    t = v.normalize()
    sign, digits, exp = t.as_tuple()
    mant = "".join(map(str, digits))
    e = exp + len(mant) - 1  # exponent of the leading digit
    body = mant[0] + ("." + mant[1:] if len(mant) > 1 else "")
    text = ("-" if sign else "") + body + ("e%+03d" % e if e != 0 else "")
    if "." not in text and "e" not in text:
        text += ".0"
    return text


def main():
    data = json.load(open(sys.argv[1]))
    for name, tc in data["types"].items():
        for p in tc["pieces"]:
            ident = "k%s_%s_%s" % (name, fmt_range(p["t_min_C"]), fmt_range(p["t_max_C"]))
            lits = [literal(d, i) for i, d in enumerate(p["d"])]
            print("// %s: %g .. %g degC, %g .. %g mV, error %g .. %g degC" %
                  (name, p["t_min_C"], p["t_max_C"], p["emf_min_mV"], p["emf_max_mV"],
                   p["error_min_C"], p["error_max_C"]))
            print("constexpr double %s[] = {%s};" % (ident, ", ".join(lits)))


if __name__ == "__main__":
    main()
