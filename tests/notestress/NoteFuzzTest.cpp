// Damaged note files by the ten thousand: the reader must not crash, throw, or allocate more
// than twice the file, and whatever it accepts must write back and read back as the same note.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <tuple>

#include "AllocationProbe.h"
#include "TestSupport.h"
#include "notes/ClassesUnit.h"
#include "ui/MessageBox.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The encoder's own files, with every string encoding and integer width among them, and files
// it never writes: the old layouts and a title in UTF-16 that would fit in ANSI.
std::vector<Bytes> Seeds() {
  std::vector<Bytes> seeds;
  const std::wstring titles[] = {L"abc", L"caf\u00E9", L"\u00E9\u20AC", std::wstring(300, L'x'), L""};
  for (int i = 0; i < 5; ++i) {
    TNoteClass n("seed");
    n.Created = 45000.5, n.Left = -40000 + i, n.Top = 100 * i, n.Width = 70000, n.Height = 160;
    n.Title = titles[i], n.Group = i % 2 ? L"\u03A9" : L"g", n.LinkedFile = i == 2 ? L"C:\\a.txt" : L"";
    n.Flags = 0x40000005u, n.AlarmOn = i % 2, n.AlarmAt = 45001.25;
    n.Text.assign(i == 3 ? 300 : 3 * i, static_cast<std::uint8_t>('r' + i));
    seeds.push_back(EncodeNoteFile(n));
  }
  Bytes wide = seeds[0];
  const Bytes ansiTitle = {0x06, 0x03, 'a', 'b', 'c'};
  const Bytes wideTitle = {0x12, 6, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0, 'd', 0, 'e', 0, 'f', 0};
  auto at = std::search(wide.begin(), wide.end(), ansiTitle.begin(), ansiTitle.end());
  wide.insert(wide.erase(at, at + 5), wideTitle.begin(), wideTitle.end());
  seeds.push_back(wide);
  for (std::uint8_t version : {0, 1, 2}) {
    Bytes old(version == 2 ? 177 : 27, 0x41);
    old[0] = version;
    if (version == 2) old[39] = 5;  // title length
    old.insert(old.end(), {5, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'});
    seeds.push_back(old);
  }
  return seeds;
}

std::string Hex(const Bytes& b) {
  std::string s;
  char buf[4];
  for (std::size_t i = 0; i < b.size() && i < 400; ++i) s += (std::snprintf(buf, sizeof buf, "%02X ", b[i]), buf);
  return s;
}

class Fuzzer {
 public:
  explicit Fuzzer(std::uint64_t seed) : rng_(seed) {}

  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

  // A length field's telling values at offset: 0, -1, one unit more than the rest holds, huge.
  std::vector<Bytes> Lengths(const Bytes& seed, std::size_t offset, std::size_t width) {
    std::vector<Bytes> out;
    const std::uint32_t rest = static_cast<std::uint32_t>(seed.size() - offset - width);
    for (std::uint32_t v : {0u, 0xFFFFFFFFu, rest + 1, rest / 2 + 1, 0x7FFFFFFFu, 0x40000000u}) {
      Bytes b = seed;
      for (std::size_t k = 0; k < width; ++k) b[offset + k] = static_cast<std::uint8_t>(v >> (8 * k));
      out.push_back(b);
    }
    return out;
  }

  Bytes Mutate(const Bytes& seed) {
    Bytes b = seed;
    switch (Pick(6)) {
      case 0:  // bit flips
        for (std::size_t k = 1 + Pick(4); k && !b.empty(); --k) b[Pick(b.size())] ^= std::uint8_t(1u << Pick(8));
        break;
      case 1:  // bytes set at random
        for (std::size_t k = 1 + Pick(3); k && !b.empty(); --k) b[Pick(b.size())] = std::uint8_t(Pick(256));
        break;
      case 2:  // a length anywhere
        if (b.size() > 4) {
          const std::size_t width = std::size_t(1) << Pick(3), offset = Pick(b.size() - width);
          auto all = Lengths(b, offset, width);
          b = all[Pick(all.size())];
        }
        break;
      case 3:  // a 16-bit unit of text set to a telling value: NUL, a lone surrogate, none
        if (b.size() > 2) {
          const std::uint16_t units[] = {0x0000, 0xD800, 0xDC00, 0xFFFF};
          const std::uint16_t u = units[Pick(4)];
          const std::size_t at = Pick(b.size() - 1);
          b[at] = std::uint8_t(u), b[at + 1] = std::uint8_t(u >> 8);
        }
        break;
      case 4: {  // a run removed or inserted
        const std::size_t at = Pick(b.size() + 1), n = 1 + Pick(16);
        if (Pick(2))
          b.erase(b.begin() + at, b.begin() + std::min(b.size(), at + n));
        else
          for (std::size_t k = 0; k < n; ++k) b.insert(b.begin() + at, std::uint8_t(Pick(256)));
        break;
      }
      default:  // random bytes under a version the reader knows
        b.resize(Pick(300));
        for (auto& x : b) x = std::uint8_t(Pick(256));
        if (!b.empty()) b[0] = std::uint8_t(Pick(5));
    }
    return b;
  }

  // Reads one input with both decoders, or through a file, and checks what came of it.
  void Check(const Bytes& in, const char* how, const std::wstring& file = {}) {
    ++inputs_;
    TNoteClass v3 = blank_, legacy = blank_;
    bool accepted = false;
    std::size_t largest = 0;
    try {
      if (!file.empty()) testsupport::WriteBytes(file, in), ++files_;
      LargestAllocation probe;
      if (!file.empty()) {
        accepted = v3.LoadFromFile(file);
      } else {
        accepted = DecodeVersion3(in.data(), in.size(), v3);
        DecodeLegacy(in.data(), in.size(), legacy);
      }
      largest = probe.Bytes();
    } catch (...) {
      Fail(in, how, "an exception escaped");
    }
    // A file of a version we cannot read asks the user through a message: not the reader's.
    const bool readable = file.empty() || (!in.empty() && in[0] <= 3);
    // Twice the file, and room for the reader's own texts ("Error reading note text").
    if (readable && largest > 2 * in.size() + 32) Fail(in, how, "allocated " + std::to_string(largest) + " bytes");
    if (accepted) Stable(v3, in, how);
    if (file.empty()) Stable(legacy, in, how);
  }

  void Fail(const Bytes& in, const char* how, const std::string& what) {
    if (failures_++ < 5) ADD_FAILURE() << what << " (" << how << ", " << in.size() << " bytes): " << Hex(in);
  }

  std::size_t inputs_ = 0, files_ = 0, failures_ = 0;

 private:
  // What a record writes reads back as the same record. (The bytes need not be the input's:
  // the format has several spellings of one value.)
  void Stable(const TNoteClass& note, const Bytes& in, const char* how) {
    const Bytes once = EncodeNoteFile(note);
    TNoteClass again = blank_;
    if (!DecodeVersion3(once.data(), once.size(), again) || !Same(note, again))
      Fail(in, how, "accepted, but does not read back as written: " + Hex(once));
  }

  static bool Same(const TNoteClass& a, const TNoteClass& b) {
    auto fields = [](const TNoteClass& n) {
      return std::tie(n.Left, n.Top, n.Width, n.Height, n.NoteColor, n.TitleColor, n.TitleFontColor, n.Title, n.Group,
                      n.Flags, n.AutoShowPending, n.ExtraFlag, n.AlarmOn, n.LinkedFile, n.Text);
    };
    auto dates = [](const TNoteClass& n) {
      return std::array<TDateTime, 4>{n.Created, n.ShowAt, n.ExtraDate, n.AlarmAt};
    };
    const auto da = dates(a), db = dates(b);  // bit for bit: a damaged date may be a NaN
    return fields(a) == fields(b) && std::memcmp(da.data(), db.data(), sizeof da) == 0;
  }

  std::mt19937_64 rng_;
  const TNoteClass blank_{"fuzz"};  // copied: a new record asks the window system for the screen size
};

TEST(NoteFuzz, DamagedFilesAreReadSafelyAndWhatIsAcceptedReadsBackAsWritten) {
  const char* env = std::getenv("VXQ_FUZZ_SEED");
  const std::uint64_t seed = env ? std::strtoull(env, nullptr, 0) : 20240601;
  std::printf("note fuzz seed %llu (set VXQ_FUZZ_SEED to repeat or vary)\n", static_cast<unsigned long long>(seed));
  testsupport::TempFolder folder(L"fuzz");
  const std::wstring file = folder.Path() + L"fuzz.vxn";
  SetMessageBoxAnswerer([](const MessageBoxRequest&) { return IDNO; });
  const auto start = std::chrono::steady_clock::now();

  Fuzzer f(seed);
  const std::vector<Bytes> seeds = Seeds();
  for (std::size_t i = 0; i < 5; ++i) {  // the encoder's own files are canonical
    TNoteClass note("seed");
    EXPECT_TRUE(DecodeVersion3(seeds[i].data(), seeds[i].size(), note) && EncodeNoteFile(note) == seeds[i]) << i;
  }
  for (const Bytes& s : seeds) {
    for (std::size_t n = 0; n <= s.size(); ++n) f.Check(Bytes(s.begin(), s.begin() + n), "cut", file);
    for (std::size_t width : {1, 2, 4})
      for (std::size_t at = 0; at + width <= s.size(); ++at)
        for (const Bytes& b : f.Lengths(s, at, width)) f.Check(b, "length");
  }
  // Found by this test: a UTF-16 title with a lone surrogate came back with U+FFFD instead.
  Bytes found = seeds[5];
  const std::uint8_t b[] = {'b', 0};
  std::uint8_t* unit = &*std::search(found.begin(), found.end(), b, b + 2);
  unit[0] = 0x00, unit[1] = 0xDC;
  f.Check(found, "found before");
  for (int i = 0; i < 20000; ++i) f.Check(f.Mutate(seeds[f.Pick(seeds.size())]), "mutated", i % 10 ? L"" : file);

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("note fuzz: %zu inputs, %zu through files, %.1f s\n", f.inputs_, f.files_, seconds);
  EXPECT_EQ(f.failures_, 0u);
  SetMessageBoxAnswerer({});
}

}  // namespace
