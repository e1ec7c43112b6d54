// The rules for names inside an archive, the extraction plan and the IUnknown of our
// objects, without the codec library: item names in, verdict out. Both separators are
// tried on every platform, '\\' for the Windows library's paths and '/' for Linux,
// where a backslash is part of a name.
#include "BitException.h"
#include "CodecObject.h"
#include "ExtractPlan.h"
#include "ItemPath.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Parts = std::vector<std::wstring>;

struct PathCase {
  std::wstring path;
  wchar_t separator;
  Parts parts;  // empty: refused
};

TEST(ItemPath, ItemPathsAreSplitOrRefused) {
  const std::vector<PathCase> cases = {
      {L"a/b/c.txt", L'/', {L"a", L"b", L"c.txt"}},
      {L"a\\b\\c.txt", L'\\', {L"a", L"b", L"c.txt"}},
      {L"a/b\\c.txt", L'\\', {L"a", L"b", L"c.txt"}},
      {L"./a//b/.", L'/', {L"a", L"b"}},
      {L"..name/x..", L'/', {L"..name", L"x.."}},
      {L"\u00c4rger/\u65e5\u672c.txt", L'/', {L"\u00c4rger", L"\u65e5\u672c.txt"}},
      // A backslash separates nothing where the separator is '/'.
      {L"..\\escaped.txt", L'/', {L"..\\escaped.txt"}},
      {L"\\root.txt", L'/', {L"\\root.txt"}},
      {L"..\\escaped.txt", L'\\', {}},
      {L"\\root.txt", L'\\', {}},
      {L"a\\..\\..\\x", L'\\', {}},
      {L"", L'/', {}},
      {L".", L'/', {}},
      {L"./", L'/', {}},
      {L"/etc/passwd", L'/', {}},
      {L"../x", L'/', {}},
      {L"a/../../x", L'/', {}},
      {L"a/..", L'/', {}},
      {L"a/../b", L'/', {}},
      {L"...", L'/', {}},
      {L"a/. ./b", L'/', {}},
      {L" ", L'/', {}},
      {L"C:/x", L'/', {}},
      {L"C:x", L'/', {}},
      {L"a/file.txt:stream", L'/', {}},
      {std::wstring(L"a/b\0c", 5), L'/', {}},
      {L"a/line\nfeed", L'/', {}},
      {L"\x1b[31m.txt", L'/', {}},
      {L"del\x7f", L'/', {}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(toUtf8(test.path) + " with separator " + static_cast<char>(test.separator));
    const auto parts = safeComponents(test.path, test.separator);
    if (test.parts.empty())
      EXPECT_FALSE(parts.has_value());
    else
      EXPECT_EQ(parts.value_or(Parts{}), test.parts);
  }
}

struct LinkCase {
  std::wstring target;
  std::size_t depth;  // folders between the output folder and the link
  wchar_t separator;
  bool inside;
};

TEST(ItemPath, LinkTargetsStayInsideOrNot) {
  const std::vector<LinkCase> cases = {
      {L"sub/file.txt", 0, L'/', true}, {L"./.././x", 1, L'/', true},  {L"a/..", 0, L'/', true},
      {L"../x", 1, L'/', true},         {L"a/../../x", 1, L'/', true}, {L"..\\x", 0, L'/', true},
      {L"..\\x", 0, L'\\', false},      {L"../x", 0, L'/', false},     {L"..", 0, L'/', false},
      {L"a/../../x", 0, L'/', false},   {L"../../x", 1, L'/', false},  {L"/etc/passwd", 3, L'/', false},
      {L"\\x", 3, L'\\', false},        {L"C:x", 3, L'/', false},      {L"", 1, L'/', false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(toUtf8(test.target) + " at depth " + std::to_string(test.depth) + " with separator " +
                 static_cast<char>(test.separator));
    EXPECT_EQ(linkStaysInside(test.target, test.depth, test.separator), test.inside);
  }
}

TEST(ItemPath, FoldedKeysIgnoreTheCaseOfAsciiLettersOnly) {
  EXPECT_EQ(foldedKey({L"Data", L"Kvr.EXE"}, 2), L"data/kvr.exe");
  EXPECT_EQ(foldedKey({L"Data", L"Kvr.EXE"}, 1), L"data");
  EXPECT_EQ(foldedKey({L"\u00c4\u00e4"}, 1), L"\u00c4\u00e4");
}

constexpr std::uint32_t kUnixLinkAttributes = 0x8000 | (0120777u << 16);
constexpr std::uint32_t kUnixFileAttributes = 0x8000 | (0100644u << 16);

ArchiveItem file(const wchar_t* path, std::uint32_t attributes = 0) {
  ArchiveItem item;
  item.rawPath = path;
  if (attributes != 0) item.metadata.attributes = attributes;
  return item;
}

ArchiveItem folder(const wchar_t* path, std::uint32_t attributes = 0) {
  ArchiveItem item = file(path, attributes);
  item.isFolder = true;
  return item;
}

ArchiveItem deletionMark(const wchar_t* path) {
  ArchiveItem item = file(path);
  item.skip = true;
  return item;
}

// What the plan decides for one item, in a form a table can state.
struct Planned {
  std::wstring relative;
  std::wstring tempRelative;
  bool isLink;
  bool isFinal;
};

bool operator==(const Planned& a, const Planned& b) {
  return a.relative == b.relative && a.tempRelative == b.tempRelative && a.isLink == b.isLink && a.isFinal == b.isFinal;
}

std::ostream& operator<<(std::ostream& out, const Planned& planned) {
  return out << toUtf8(planned.relative) << " via " << toUtf8(planned.tempRelative) << (planned.isLink ? " link" : "")
             << (planned.isFinal ? " final" : "");
}

struct PlanCase {
  const char* name;
  std::vector<ArchiveItem> items;
  std::vector<Planned> planned;  // one per item, when the plan succeeds
  std::string error;             // the BitException's message otherwise
};

TEST(ExtractPlan, ItemsAreDecidedTogetherBeforeAnythingIsWritten) {
  const std::vector<PlanCase> cases = {
      {"nested files, the final item at the top without case",
       {folder(L"data"), file(L"data/a.txt"), file(L"KVR.exe"), file(L"data/kvr.exe")},
       {{L"data", L"", false, false},
        {L"data|a.txt", L"data|a.txt.kvrpart", false, false},
        {L"KVR.exe", L"KVR.exe.kvrpart", false, true},
        {L"data|kvr.exe", L"data|kvr.exe.kvrpart", false, false}},
       ""},
      {"a folder named like the final item is no final item",
       {folder(L"kvr.exe"), file(L"kvr.exe/x")},
       {{L"kvr.exe", L"", false, false}, {L"kvr.exe|x", L"kvr.exe|x.kvrpart", false, false}},
       ""},
      {"temporary names avoid the archive's items and each other",
       {file(L"a.txt"), file(L"A.TXT.kvrpart"), file(L"a.txt.kvrpart_")},
       {{L"a.txt", L"a.txt.kvrpart__", false, false},
        {L"A.TXT.kvrpart", L"A.TXT.kvrpart.kvrpart", false, false},
        {L"a.txt.kvrpart_", L"a.txt.kvrpart_.kvrpart", false, false}},
       ""},
      {"a Unix link is a link, a Unix file or a folder is not",
       {file(L"alias", kUnixLinkAttributes), file(L"plain", kUnixFileAttributes), file(L"dos", 0x20),
        folder(L"dir", kUnixLinkAttributes)},
       {{L"alias", L"alias.kvrpart", true, false},
        {L"plain", L"plain.kvrpart", false, false},
        {L"dos", L"dos.kvrpart", false, false},
        {L"dir", L"", false, false}},
       ""},
      {"deletion marks are neither checked nor planned",
       {deletionMark(L"../gone"), file(L"kept")},
       {{L"", L"", false, false}, {L"kept", L"kept.kvrpart", false, false}},
       ""},
      {"the first unsafe path fails the plan",
       {file(L"ok.txt"), file(L"../escaped.txt"), file(L"/absolute.txt")},
       {},
       "Cannot extract '../escaped.txt': the path leaves the output folder"},
      {"an unsafe path is reported before a file in the way",
       {file(L"lnk"), file(L"lnk/y"), file(L"C:x")},
       {},
       "Cannot extract 'C:x': the path leaves the output folder"},
      {"nothing is written through a file of the archive",
       {file(L"lnk", kUnixLinkAttributes), file(L"lnk/y")},
       {},
       "Cannot extract 'lnk/y': 'lnk' is no folder in the archive"},
      {"nor through one that differs in case only",
       {file(L"Data"), file(L"data/deep/y")},
       {},
       "Cannot extract 'data/deep/y': 'data' is no folder in the archive"},
  };
  for (auto test : cases) {
    SCOPED_TRACE(test.name);
    std::string error;
    try {
      planExtraction(test.items, L"kvr.exe", L'|');
    } catch (const BitException& failure) {
      error = failure.what();
    }
    EXPECT_EQ(error, test.error);
    if (!test.error.empty()) continue;
    std::vector<Planned> planned;
    for (const auto& item : test.items)
      planned.push_back({item.relative, item.tempRelative, item.isLink, item.isFinal});
    EXPECT_EQ(planned, test.planned);
  }
}

TEST(ExtractPlan, NoFinalItemWhenNoneIsNamed) {
  std::vector<ArchiveItem> items = {file(L"kvr.exe")};
  planExtraction(items, {}, L'/');
  EXPECT_FALSE(items[0].isFinal);
}

TEST(ExtractPlan, PlannedBytesCountFilesOnly) {
  std::vector<ArchiveItem> items = {file(L"a"), folder(L"b"), deletionMark(L"c"), file(L"d")};
  items[0].size = 1000;
  items[1].size = 20;
  items[2].size = 300;
  items[3].size = 4;
  EXPECT_EQ(plannedBytes(items), 1004u);
}

// Two interfaces, the first extending another, as the extract callback has them.
class TwoInterfaces final : public CodecObject<sevenzip::IArchiveExtractCallback, sevenzip::ICryptoGetTextPassword> {
 public:
  sevenzip::HResult KVR_COMCALL SetTotal(std::uint64_t) override { return sevenzip::kOk; }
  sevenzip::HResult KVR_COMCALL SetCompleted(const std::uint64_t*) override { return sevenzip::kOk; }
  sevenzip::HResult KVR_COMCALL GetStream(std::uint32_t, sevenzip::ISequentialOutStream**, std::int32_t) override {
    return sevenzip::kOk;
  }
  sevenzip::HResult KVR_COMCALL PrepareOperation(std::int32_t) override { return sevenzip::kOk; }
  sevenzip::HResult KVR_COMCALL SetOperationResult(std::int32_t) override { return sevenzip::kOk; }
  sevenzip::HResult KVR_COMCALL CryptoGetTextPassword(sevenzip::Bstr*) override { return sevenzip::kOk; }
};

struct QueryCase {
  const char* name;
  sevenzip::Guid iid;
  void* expected;  // null: not answered
};

TEST(CodecObject, AnswersEachInterfaceAndThoseItExtends) {
  TwoInterfaces object;
  void* extract = static_cast<sevenzip::IArchiveExtractCallback*>(&object);
  void* password = static_cast<sevenzip::ICryptoGetTextPassword*>(&object);
  ASSERT_NE(extract, password);
  const std::vector<QueryCase> cases = {
      {"IUnknown, by the first", sevenzip::IUnknown::kIid, extract},
      {"IProgress, extended by the first", sevenzip::IProgress::kIid, extract},
      {"IArchiveExtractCallback", sevenzip::IArchiveExtractCallback::kIid, extract},
      {"ICryptoGetTextPassword", sevenzip::ICryptoGetTextPassword::kIid, password},
      {"IInStream", sevenzip::IInStream::kIid, nullptr},
      {"IInArchive", sevenzip::IInArchive::kIid, nullptr},
  };
  std::uint32_t references = 1;
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    void* answer = &object;
    const sevenzip::HResult result = object.QueryInterface(test.iid, &answer);
    EXPECT_EQ(answer, test.expected);
    EXPECT_EQ(result, test.expected != nullptr ? sevenzip::kOk : sevenzip::kNoInterface);
    if (test.expected != nullptr) ++references;
    // What QueryInterface took is counted: one more reference, one less.
    EXPECT_EQ(object.AddRef(), references + 1);
    EXPECT_EQ(object.Release(), references);
  }
}

}  // namespace
