#include "app/DataFiles.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ScopedFormatSettings.h"

namespace {

namespace fs = std::filesystem;

// The header as the format rules lay it out: labels right-aligned in 21, 21, 24, 21, 21, 21, 21
// and 21 characters, "º" as the single byte 0xBA, CR LF.
const std::string kHeader =
    "                Line;"
    "      SecondsElapsed;"
    "               DateTime;"
    "         SVoltage(V);"
    "        SSetpoint(V);"
    "         PVoltage(V);"
    "         PCurrent(A);"
    "     Temperature(\xBA"
    "C);"
    "\r\n";

// The three rows of Fill(), each field right-aligned in 20 (the date-time in 23) and followed
// by ";", the temperature without ";".
const std::string kRow1 =
    "                   1;                   0;  24-05-17 14:35:07:250;              0.0025;"
    "              0.0025;             -1.5E-6;                1E-5;    1234.56789012346\r\n";
// Temperature marked as outlier: the line ends with the ";" of the pump current.
const std::string kRow2 =
    "                   2;               12.75;  24-05-17 14:35:19:999;  -0.123456789012346;"
    "                1E15;     123456789012345;                   0;\r\n";
// A value longer than its field is written whole and shifts the rest of the line.
const std::string kRow3 =
    "                   3;                1E20;  01-01-02 03:04:05:006;              0.0001;"
    "              100000;           -2.5E-300;-1.23456789012345E-100;                 -40\r\n";
// Row 1 with a decimal comma and "." as time separator.
const std::string kRow1Comma =
    "                   1;                   0;  24-05-17 14.35.07.250;              0,0025;"
    "              0,0025;             -1,5E-6;                1E-5;    1234,56789012346\r\n";

TFormatSettings DotSettings() {
  TFormatSettings fs;
  fs.DecimalSeparator = ".";
  fs.TimeSeparator = ":";
  fs.ShortDateFormat = "dd/mm/yyyy";
  fs.LongTimeFormat = "hh:nn:ss";
  return fs;
}

TFormatSettings CommaSettings() {
  TFormatSettings fs = DotSettings();
  fs.DecimalSeparator = ",";
  fs.ThousandSeparator = ".";
  fs.TimeSeparator = ".";
  return fs;
}

struct Vectors {
  TRtDoubleVector time, seconds, sensor, setpoint, pumpV, pumpI, temperature;
  TDataColumns Columns() const {
    return {&time, &seconds, &sensor, &setpoint, &pumpV, &pumpI, &temperature};
  }
  int Count() const { return time.Count(); }
  void Add(TDateTime t, double s, double sv, double sp, double pv, double pc, double temp,
           bool tempOutlier = false) {
    time.Add(t);
    seconds.Add(s);
    sensor.Add(sv);
    setpoint.Add(sp);
    pumpV.Add(pv);
    pumpI.Add(pc);
    const int n = temperature.Add(temp);
    if (tempOutlier) temperature.AddOutlier(n - 1);
  }
  void Fill() {
    Add(EncodeDateTime(2024, 5, 17, 14, 35, 7, 250), 0, 0.0025, 0.0025, -1.5e-6, 0.00001,
        1234.5678901234567);
    Add(EncodeDateTime(2024, 5, 17, 14, 35, 19, 999), 12.75, -0.123456789012345678, 1e15,
        123456789012345.0, 0, 0, true);
    Add(EncodeDateTime(2001, 1, 2, 3, 4, 5, 6), 1e20, 0.0001, 99999.99999999999, -2.5e-300,
        -1.23456789012345e-100, -40);
  }
  // Rows whose lines are easy to tell apart: row i has seconds i.
  void AddPlain(int n) {
    for (int k = 0; k < n; ++k) {
      const double i = Count();
      Add(EncodeDateTime(2024, 5, 17, 10) + i / 86400.0, i, 0.5, 0.5, 1, 0.001, 700, k % 7 == 3);
    }
  }
};

class DataFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFormatSettings(DotSettings());
    char tmpl[] = "/tmp/zk_data_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::vector<std::string> FilesIn(const std::string& folder) const {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TSaveLine Logger() {
    return [this](const std::string& l) { log_.push_back(l); };
  }
  TSaveLine Boxes() {
    return [this](const std::string& l) { boxes_.push_back(l); };
  }
  TSaveResult Auto(const Vectors& v, TDateTime now) {
    log_.clear();
    return Autosave(dir_, v.Columns(), start_, now, Logger(), Boxes());
  }
  // The plain rows first .. last (0-based) as their lines.
  std::string PlainLines(const Vectors& v, int first, int last) const {
    std::string s;
    for (int i = first; i <= last; ++i) s += DataFileLine(v.Columns(), i);
    return s;
  }

  ScopedFormatSettings saved_;  // restores the settings after each test
  std::string dir_;
  std::vector<std::string> log_;
  std::vector<std::string> boxes_;
  int start_ = 0;
  const TDateTime t1435_ = EncodeDateTime(2024, 5, 17, 14, 35, 2);
};

using Lines = std::vector<std::string>;

}  // namespace

// ---- Lines

TEST_F(DataFilesTest, HeaderAndLinesByteForByte) {
  EXPECT_EQ(DataFileHeader(), kHeader);
  EXPECT_EQ(kHeader.size(), 171u + 2u);
  Vectors v;
  v.Fill();
  EXPECT_EQ(DataFileLine(v.Columns(), 0), kRow1);
  EXPECT_EQ(DataFileLine(v.Columns(), 1), kRow2);
  EXPECT_EQ(DataFileLine(v.Columns(), 2), kRow3);
  EXPECT_EQ(kRow1.size(), 172u);
  EXPECT_EQ(kRow2.size(), 152u);
  // Every ";" of a full line stands where the header has it.
  for (size_t k = 0; k < kRow1.size() - 2; ++k) {
    if (kRow1[k] == ';') {
      EXPECT_EQ(kHeader[k], ';') << k;
    }
  }
  EXPECT_THROW(DataFileLine(v.Columns(), 3), ERtRangeError);
}

TEST_F(DataFilesTest, LocaleSeparatorsAndCodePage) {
  Vectors v;
  v.Fill();
  EXPECT_EQ(DataFileLine(v.Columns(), 0, CommaSettings()), kRow1Comma);
  SetFormatSettings(CommaSettings());
  EXPECT_EQ(DataFileLine(v.Columns(), 0), kRow1Comma);

  // Separators are written in the code page and padded as one character each.
  TFormatSettings odd = DotSettings();
  odd.DecimalSeparator = "\xC2\xB7";  // middle dot, 0xB7 in Windows-1252
  odd.TimeSeparator = "\xD9\xAB";     // Arabic decimal separator: not in the code page
  std::string expected = kRow1;
  for (char& c : expected) {
    if (c == '.') c = '\xB7';
    if (c == ':') c = '?';
  }
  EXPECT_EQ(DataFileLine(v.Columns(), 0, odd), expected);
}

// ---- Names

TEST_F(DataFilesTest, FileNamesAndFolders) {
  const TDateTime t = EncodeDateTime(2024, 5, 7, 4, 3, 59, 999);
  EXPECT_EQ(SaveAllFileName(t), "2024-05-07_04_03.txt");
  EXPECT_EQ(AutosaveFileName(t), "2024-05-07_04.txt");
  EXPECT_EQ(SaveAllPath("/base", t), "/base/Userdata/2024-05-07_04_03.txt");
  EXPECT_EQ(AutosavePath("/base", t), "/base/Userdata/Autosave/2024-05-07_04.txt");
  EXPECT_EQ(AutosaveFolder(""), "./Userdata/Autosave");
  // The day after 23:59 is a new hour file.
  EXPECT_EQ(AutosaveFileName(EncodeDateTime(2024, 12, 31, 23, 59, 59)), "2024-12-31_23.txt");
  EXPECT_EQ(AutosaveFileName(EncodeDateTime(2025, 1, 1, 0, 0, 0)), "2025-01-01_00.txt");
}

// ---- Save all

TEST_F(DataFilesTest, SaveAllWritesEveryRowAndReplacesTheSameMinute) {
  Vectors v;
  const TSaveResult empty = SaveAll(dir_, v.Columns(), t1435_, Logger(), Boxes());
  ASSERT_TRUE(empty.ok) << empty.message;
  EXPECT_EQ(empty.path, dir_ + "/Userdata/2024-05-17_14_35.txt");
  EXPECT_EQ(Slurp(empty.path), kHeader);
  EXPECT_EQ(log_, (Lines{"", "Saving all data, this may take a while.",
                         "All done, resuming operation."}));
  EXPECT_TRUE(fs::is_directory(dir_ + "/Userdata/Autosave"));

  v.Fill();
  start_ = 2;  // a manual save neither uses nor changes it
  log_.clear();
  const TSaveResult r = SaveAll(dir_, v.Columns(), t1435_ + 30.0 / 86400, Logger(), Boxes());
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.path, empty.path);
  EXPECT_EQ(Slurp(r.path), kHeader + kRow1 + kRow2 + kRow3);
  EXPECT_EQ(log_, (Lines{"", "Saving all data, this may take a while.", "0%",
                         "All done, resuming operation."}));
  EXPECT_EQ(start_, 2);
  EXPECT_EQ(FilesIn(dir_ + "/Userdata"), (Lines{"2024-05-17_14_35.txt", "Autosave"}));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(DataFilesTest, ProgressLines) {
  Vectors v;
  v.AddPlain(1234);
  ASSERT_TRUE(SaveAll(dir_, v.Columns(), t1435_, Logger()).ok);
  EXPECT_EQ(log_, (Lines{"", "Saving all data, this may take a while.", "0%", "41%", "81%",
                         "All done, resuming operation."}));

  // Counted from the first row, tested on the row index; halves round to even.
  Vectors w;
  w.AddPlain(699);
  start_ = 499;  // row 500 is 1 of 200 rows: 0.5 %
  ASSERT_TRUE(Auto(w, t1435_).ok);
  EXPECT_EQ(log_, (Lines{"", "Autosaving...", "0%", "All done, resuming operation."}));
  w.AddPlain(600);  // 1299 rows
  start_ = 997;     // rows 1000 of 302 rows: 3/302 = 0.99 %
  ASSERT_TRUE(Auto(w, t1435_).ok);
  EXPECT_EQ(log_, (Lines{"", "Autosaving...", "1%", "All done, resuming operation."}));
  Vectors x;
  x.AddPlain(697);
  start_ = 497;  // row 500 is 3 of 200 rows: 1.5 %
  ASSERT_TRUE(Auto(x, t1435_).ok);
  EXPECT_EQ(log_, (Lines{"", "Autosaving...", "2%", "All done, resuming operation."}));
}

// ---- Autosave

TEST_F(DataFilesTest, AutosaveFileWrittenOutByHand) {
  Vectors v;
  v.AddPlain(4);  // the fourth temperature is an outlier
  ASSERT_TRUE(Auto(v, t1435_).ok);
  const std::string path = dir_ + "/Userdata/Autosave/2024-05-17_14.txt";
  EXPECT_EQ(Slurp(path), kHeader +
                             "                   1;                   0;  24-05-17 10:00:00:000;"
                             "                 0.5;                 0.5;                   1;"
                             "               0.001;                 700\r\n"
                             "                   2;                   1;  24-05-17 10:00:01:000;"
                             "                 0.5;                 0.5;                   1;"
                             "               0.001;                 700\r\n"
                             "                   3;                   2;  24-05-17 10:00:02:000;"
                             "                 0.5;                 0.5;                   1;"
                             "               0.001;                 700\r\n"
                             "                   4;                   3;  24-05-17 10:00:03:000;"
                             "                 0.5;                 0.5;                   1;"
                             "               0.001;\r\n");
  // The next autosave appends the new row only, numbered on.
  v.AddPlain(1);
  ASSERT_TRUE(Auto(v, t1435_).ok);
  const std::string file = Slurp(path);
  EXPECT_EQ(file.substr(file.size() - 172),
            "                   5;                   4;  24-05-17 10:00:04:000;"
            "                 0.5;                 0.5;                   1;"
            "               0.001;                 700\r\n");
}

TEST_F(DataFilesTest, AutosaveAppendsAndRollsOverByTheHour) {
  Vectors v;
  // No rows, no file: created with its header alone.
  TSaveResult r = Auto(v, t1435_);
  ASSERT_TRUE(r.ok) << r.message;
  const std::string h14 = dir_ + "/Userdata/Autosave/2024-05-17_14.txt";
  EXPECT_EQ(r.path, h14);
  EXPECT_EQ(Slurp(h14), kHeader);
  EXPECT_EQ(log_, (Lines{"", "Autosaving...", "All done, resuming operation."}));

  v.Fill();
  ASSERT_TRUE(Auto(v, t1435_).ok);
  EXPECT_EQ(start_, 3);
  EXPECT_EQ(Slurp(h14), kHeader + kRow1 + kRow2 + kRow3);

  v.AddPlain(2);
  ASSERT_TRUE(Auto(v, EncodeDateTime(2024, 5, 17, 14, 59, 59, 999)).ok);
  EXPECT_EQ(start_, 5);
  EXPECT_EQ(Slurp(h14), kHeader + kRow1 + kRow2 + kRow3 + PlainLines(v, 3, 4));

  // Nothing new: the file stays as it is.
  ASSERT_TRUE(Auto(v, t1435_).ok);
  EXPECT_EQ(log_, (Lines{"", "Autosaving...", "All done, resuming operation."}));
  EXPECT_EQ(Slurp(h14), kHeader + kRow1 + kRow2 + kRow3 + PlainLines(v, 3, 4));

  // A new hour: a new file with a header; the row numbers go on.
  v.AddPlain(1);
  r = Auto(v, EncodeDateTime(2024, 5, 17, 15, 0, 0));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.path, dir_ + "/Userdata/Autosave/2024-05-17_15.txt");
  const std::string h15 = Slurp(r.path);
  EXPECT_EQ(h15, kHeader + PlainLines(v, 5, 5));
  EXPECT_EQ(h15.substr(kHeader.size(), 21), "                   6;");
  EXPECT_EQ(start_, 6);
  EXPECT_EQ(FilesIn(dir_ + "/Userdata/Autosave"),
            (Lines{"2024-05-17_14.txt", "2024-05-17_15.txt"}));
}

TEST_F(DataFilesTest, OutlierTemperaturesGiveEmptyFields) {
  Vectors v;
  v.Add(EncodeDateTime(2024, 5, 17, 14, 35, 7, 250), 0, 0.0025, 0.0025, -1.5e-6, 0.00001,
        1234.5678901234567, true);
  v.Add(EncodeDateTime(2024, 5, 17, 14, 35, 7, 250), 0, 0.0025, 0.0025, -1.5e-6, 0.00001, 0);
  ASSERT_TRUE(Auto(v, t1435_).ok);
  const std::string outlier = kRow1.substr(0, 150) + "\r\n";
  std::string zero = kRow1.substr(0, 150) + "                   0\r\n";
  zero[19] = '2';
  EXPECT_EQ(Slurp(AutosavePath(dir_, t1435_)), kHeader + outlier + zero);
}

TEST_F(DataFilesTest, AFullDiskLosesNoRow) {
  Vectors v;
  v.AddPlain(100);
  ASSERT_TRUE(Auto(v, t1435_).ok);
  const TDateTime t15 = EncodeDateTime(2024, 5, 17, 15, 1, 0);
  const std::string h15 = AutosavePath(dir_, t15);
  fs::create_symlink("/dev/full", h15);

  v.AddPlain(100);
  TSaveResult r = Auto(v, t15);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.errorClass, "EInOutError");
  EXPECT_EQ(r.message, "Disk full (2024-05-17_15.txt)");
  EXPECT_EQ(start_, 100);
  EXPECT_EQ(log_, (Lines{"", "Autosaving..."}));  // no "All done"

  // The same again a cycle later, then the disk is back: every row since the last success.
  v.AddPlain(1);
  EXPECT_FALSE(Auto(v, t15).ok);
  EXPECT_EQ(start_, 100);
  fs::remove(h15);
  v.AddPlain(99);
  ASSERT_TRUE(Auto(v, t15).ok);
  EXPECT_EQ(start_, 300);
  EXPECT_EQ(Slurp(h15), kHeader + PlainLines(v, 100, 299));
  EXPECT_EQ(Slurp(AutosavePath(dir_, t1435_)), kHeader + PlainLines(v, 0, 99));
}

// Writes fail once a file would pass `bytes` (EFBIG), also for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit l = saved_;
    l.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_{};
};

TEST_F(DataFilesTest, AFailedAppendIsTakenBackAndWrittenAgain) {
  Vectors v;
  v.AddPlain(10);
  ASSERT_TRUE(Auto(v, t1435_).ok);
  const std::string path = AutosavePath(dir_, t1435_);
  const std::string before = Slurp(path);
  v.AddPlain(50);
  {
    FileSizeLimit limit(before.size() + 1000);  // a few rows fit, then the write fails
    const TSaveResult r = Auto(v, t1435_);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorClass, "EInOutError");
    EXPECT_EQ(r.message, "Disk full (2024-05-17_14.txt)");
  }
  EXPECT_EQ(start_, 10);
  EXPECT_EQ(Slurp(path), before);  // no half rows left behind
  ASSERT_TRUE(Auto(v, t1435_).ok);
  EXPECT_EQ(Slurp(path), before + PlainLines(v, 10, 59));
}

TEST_F(DataFilesTest, AFailedSaveAllKeepsTheEarlierFile) {
  Vectors v;
  v.AddPlain(5);
  ASSERT_TRUE(SaveAll(dir_, v.Columns(), t1435_, Logger()).ok);
  const std::string path = SaveAllPath(dir_, t1435_);
  const std::string before = Slurp(path);
  v.AddPlain(500);
  {
    FileSizeLimit limit(before.size() + 2000);
    const TSaveResult r = SaveAll(dir_, v.Columns(), t1435_, Logger());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorClass, "EInOutError");
  }
  EXPECT_EQ(Slurp(path), before);
  EXPECT_EQ(FilesIn(dir_ + "/Userdata"), (Lines{"2024-05-17_14_35.txt", "Autosave"}));
}

TEST_F(DataFilesTest, FoldersThatCannotBeMade) {
  { std::ofstream(dir_ + "/Userdata") << "in the way"; }
  Vectors v;
  v.Fill();
  const TSaveResult r = Auto(v, t1435_);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(boxes_, (Lines{"Could not create 'Userdata' folder",
                           "Could not create 'Userdata\\Autosave' folder"}));
  EXPECT_EQ(r.errorClass, "EInOutError");
  EXPECT_EQ(r.message, "Path not found (2024-05-17_14.txt)");
  EXPECT_EQ(log_, (Lines{"", "Autosaving..."}));
  EXPECT_EQ(start_, 0);

  // Once the way is clear, the same rows are written.
  fs::remove(dir_ + "/Userdata");
  boxes_.clear();
  ASSERT_TRUE(Auto(v, t1435_).ok);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(Slurp(AutosavePath(dir_, t1435_)), kHeader + kRow1 + kRow2 + kRow3);
}

TEST_F(DataFilesTest, AShortVectorFailsWithItsIndexError) {
  Vectors v;
  v.Fill();
  v.time.Add(EncodeDateTime(2024, 5, 17, 15));  // a fourth row the others lack
  const TSaveResult r = Auto(v, t1435_);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.errorClass, "ERtRangeError");
  EXPECT_EQ(r.message, "i=3 index out of range");
  EXPECT_EQ(start_, 0);
  EXPECT_FALSE(fs::exists(r.path));  // the new file is not left half written
}

TEST_F(DataFilesTest, FailureMessageText) {
  TSaveResult r;
  r.errorClass = "EInOutError";
  r.message = "Disk full (x.txt)";
  EXPECT_EQ(SaveFailureText(r, EncodeDateTime(2024, 5, 17, 14, 35, 7)),
            "Manual or automatic save failed.\r\n\r\nTime: 17/05/2024 14:35:07\r\n\r\n"
            "Error class: EInOutError\r\n\r\nMessage: Disk full (x.txt)");
  EXPECT_EQ(SaveFailureText(r, EncodeDateTime(2024, 5, 17)),
            "Manual or automatic save failed.\r\n\r\nTime: 17/05/2024\r\n\r\n"
            "Error class: EInOutError\r\n\r\nMessage: Disk full (x.txt)");
}
