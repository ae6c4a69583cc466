// A small SCPI / IEEE 488.2 message parser shared by the simulated instruments: splitting a
// program message into units, headers with short and long mnemonic forms and optional nodes,
// the parameter kinds the instruments take, and the number formats of their replies.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim::scpi {

enum class ParamKind { Numeric, Character, String, ChannelList };

struct Param {
  ParamKind Kind = ParamKind::Character;
  std::string Text;           // character data upper-cased; string data without its quotes
  double Number = 0;          // numeric data
  std::vector<int> Channels;  // channel list "(@1,3:5)"
};

// One command or query of a program message.
struct Unit {
  bool Common = false;             // "*IDN?"
  bool Absolute = false;           // header began with ':'
  bool Query = false;              // header ended with '?'
  std::vector<std::string> Nodes;  // upper-case mnemonics; a common header is one node "*IDN"
  std::vector<Param> Params;
};

// Error codes of the instruments' error queues.
namespace err {
constexpr int CommandError = -100;
constexpr int InvalidCharacter = -101;
constexpr int SyntaxError = -102;
constexpr int InvalidSeparator = -103;
constexpr int DataTypeError = -104;
constexpr int ParameterNotAllowed = -108;
constexpr int MissingParameter = -109;
constexpr int UndefinedHeader = -113;
constexpr int NumericDataError = -120;
constexpr int InvalidSuffix = -131;
constexpr int InvalidCharacterData = -141;
constexpr int InvalidStringData = -151;
constexpr int InitIgnored = -213;
constexpr int SettingsConflict = -221;
constexpr int DataOutOfRange = -222;
constexpr int IllegalParameterValue = -224;
constexpr int DataStale = -230;
constexpr int HardwareMissing = -241;
constexpr int QueueOverflow = -350;
constexpr int QueryInterrupted = -410;
constexpr int QueryUnterminated = -420;
}  // namespace err

// The instrument's text for an error code ("Undefined header"); 0 gives "No error".
const char* ErrorText(int code);

// Splits a program message at ';' outside quotes and parentheses.
std::vector<std::string> SplitUnits(std::string_view message);

// The nodes of a header text such as ":VOLT:DC" or "RES" (a leading ":" is dropped).
std::vector<std::string> SplitNodes(const std::string& text);

// Parses one message unit. Returns 0, or the error code that makes the unit invalid.
int ParseUnit(std::string_view text, Unit& unit);

// Whether a header word matches a mnemonic written with its short form in upper case and the
// rest of the long form in lower case ("SOURce" accepts "SOUR" and "SOURCE", any letter case).
// A trailing numeric suffix 1 in the word is accepted ("SENS1").
bool MnemonicMatches(std::string_view mnemonic, std::string_view word);

// The short form of a mnemonic in upper case ("FIXed" -> "FIX").
std::string ShortForm(std::string_view mnemonic);

// A command header pattern such as "[:SENSe]:CURRent[:DC]:PROTection[:LEVel]".
class Pattern {
 public:
  explicit Pattern(std::string_view text);
  bool Matches(const std::vector<std::string>& nodes) const;
  const std::string& Text() const { return text_; }

 private:
  struct Node {
    std::string Mnemonic;
    bool Optional = false;
  };
  bool MatchFrom(size_t pi, const std::vector<std::string>& nodes, size_t ni) const;
  std::string text_;
  std::vector<Node> nodes_;
};

// "+1.234560E-01" with the given number of decimals, independent of the process locale.
std::string FormatExponent(double value, int decimals);

}  // namespace sim::scpi
