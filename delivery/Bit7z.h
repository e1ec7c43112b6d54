// The archive layer: the 7-Zip codec library loaded from a file, and an extractor
// for one archive format over its "CreateObject" interface. Every failure is a
// BitException whose what() is UTF-8 text. Behind it: CodecLibrary (loading),
// ExtractPlan with ItemPath (where items go, which names are refused) and
// CodecCallbacks (the objects the library calls).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BitException.h"

class CodecLibrary;

// An archive format the codec library knows, by its format id.
class BitInFormat {
 public:
  constexpr BitInFormat(unsigned char value, const wchar_t* extension) : m_value(value), m_extension(extension) {}
  constexpr unsigned char value() const { return m_value; }
  constexpr const wchar_t* extension() const { return m_extension; }

 private:
  unsigned char m_value;
  const wchar_t* m_extension;
};

namespace BitFormat {
inline constexpr BitInFormat SevenZip{0x07, L".7z"};
}

// The loaded codec library; destroying it unloads the library.
class Bit7zLibrary {
 public:
  // Loads the library at `dllPath` (by its full path) and looks up its entry points.
  // Throws "Cannot load 7-zip library (error N)" or "Cannot get CreateObject (error N)".
  explicit Bit7zLibrary(const std::wstring& dllPath);
  ~Bit7zLibrary();
  Bit7zLibrary(const Bit7zLibrary&) = delete;
  Bit7zLibrary& operator=(const Bit7zLibrary&) = delete;

  const CodecLibrary& codec() const { return *m_codec; }

 private:
  std::unique_ptr<const CodecLibrary> m_codec;
};

// A file an extraction wrote, as an install record keeps it.
struct ExtractedFile {
  std::string path;  // below the output folder, UTF-8, parts joined by '/'
  std::uint64_t size = 0;
  std::optional<std::uint32_t> crc;  // as the archive stores it
};

// How far an extraction has come, as the codec library counts it: bytes decoded of
// the bytes it will decode (a selection's solid block counts from its start). Called on
// the extracting thread, inside the library's run, so it must not throw.
using ExtractProgress = std::function<void(std::uint64_t completed, std::uint64_t total)>;

// Extracts archives of one format with the library it is bound to; the library must
// outlive it. No password is ever given.
class BitExtractor {
 public:
  BitExtractor(const Bit7zLibrary& library, const BitInFormat& format);

  // Told each step of every later extract() and test().
  void setProgress(ExtractProgress progress) { m_progress = std::move(progress); }

  // Extracts every item of `inFile` below `outDir`, creating missing folders, replacing
  // existing files and applying the stored modification times and attributes. Each file
  // is written under a temporary name and renamed when complete. An item whose path or
  // link target would leave `outDir` fails the extraction before it is written.
  // `finalItem` names an item at the archive's top level that appears only after every
  // other item has been written; an existing one is removed first, so a failed
  // extraction never leaves it behind. Throws BitNotEnoughSpace when the files' total
  // size exceeds the free space of `outDir`'s volume. `only`, when given, names the
  // files to extract (as ExtractedFile names them; each must be a file of the archive),
  // and nothing else is written. Returns the files written.
  std::vector<ExtractedFile> extract(const std::wstring& inFile, const std::wstring& outDir,
                                     std::wstring_view finalItem = {},
                                     const std::vector<std::string>* only = nullptr) const;

  // Decodes and checks every item of `inFile`, writing nothing.
  void test(const std::wstring& inFile) const;

 private:
  const Bit7zLibrary& m_library;
  BitInFormat m_format;
  ExtractProgress m_progress;
};
