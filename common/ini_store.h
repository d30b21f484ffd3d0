// The one in-memory reader and writer of the program's INI files:
// Desktop.ini, Option.ini and the language files.
//
// Opening reads the whole file; reads and writes work on the copy; Save writes
// the whole copy back. Comments, blank lines and repeated sections do not
// survive a save, every section and entry keeps its order, and the file keeps
// the encoding it was read in.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ansi_codec.h"
#include "platform/file_system.h"

namespace vandrel {

enum class TextEncoding {
  kNone,      // the file did not exist when the store was opened
  kAnsi,      // no byte-order mark: the system's ANSI code page
  kUtf8,      // UTF-8 with its mark
  kUtf16LE,   // UTF-16 little endian with its mark
  kUtf16BE,   // UTF-16 big endian with its mark
};

struct IniEntry {
  std::string name;
  std::optional<std::string> value;  // no value: a line without "="
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

// Decodes bytes by their byte-order mark, else in the ANSI code page.
std::string DecodeText(std::span<const std::byte> bytes, const AnsiCodec& ansi, TextEncoding& found);

// The text in that encoding, with its byte-order mark; nullopt when the ANSI
// code page cannot hold it.
std::optional<Bytes> EncodeText(std::string_view text, TextEncoding encoding, const AnsiCodec& ansi);

// Whether the bytes were read as what they are: decoded and encoded again
// they come back exactly, and without a byte-order mark the text holds no
// U+0000 (a UTF-16 file without its mark, read as ANSI, would). Only such a
// file may be rewritten from what was read of it.
bool DecodesFaithfully(std::span<const std::byte> bytes, const AnsiCodec& ansi);

// Reads an INI integer: "0x" followed by hex digits, "$" followed by hex
// digits, or a signed decimal; anything else gives `default_value`.
int ParseIniInteger(std::string_view text, int default_value);

class IniStore {
 public:
  // Reads `path` if it exists; a missing file gives an empty store and is not
  // created. Throws Error when the file exists but cannot be read.
  static IniStore Open(FileSystem& fs, const AnsiCodec& ansi, std::string path);

  // A store over bytes already in memory (no file behind it until Save).
  static IniStore Parse(std::span<const std::byte> bytes, const AnsiCodec& ansi);

  std::string ReadString(std::string_view section, std::string_view name,
                         std::string_view default_value) const;
  int ReadInteger(std::string_view section, std::string_view name, int default_value) const;
  bool ReadBool(std::string_view section, std::string_view name, bool default_value) const;

  void WriteString(std::string_view section, std::string_view name, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view name, int value);
  void WriteBool(std::string_view section, std::string_view name, bool value);

  std::vector<std::string> SectionNames() const;
  std::vector<std::string> EntryNames(std::string_view section) const;
  bool HasSection(std::string_view section) const;

  void DeleteEntry(std::string_view section, std::string_view name);
  // Keeps of the section's entries those at the positions `keep` marks true.
  void RetainEntries(std::string_view section, const std::vector<bool>& keep);
  void EraseSection(std::string_view section);

  // The file's text as Save lays it out (CRLF lines, an empty line after each
  // section).
  std::string Layout() const;

  // The bytes Save writes: the layout in the remembered encoding. Text the ANSI
  // code page cannot hold is written as UTF-16 LE with its mark instead, so
  // nothing is lost; `used` tells which encoding came out.
  Bytes Serialize(TextEncoding& used) const;

  // Writes the whole store to its path in one step (see FileSystem::WriteFileAtomically).
  void Save(FileSystem& fs);

  const std::string& path() const noexcept { return path_; }
  TextEncoding encoding() const noexcept { return encoding_; }
  const std::vector<IniSection>& sections() const noexcept { return sections_; }

 private:
  IniStore(std::string path, const AnsiCodec& ansi) : path_(std::move(path)), ansi_(&ansi) {}
  void Load(std::string_view text);
  const IniSection* FindSection(std::string_view name) const;
  IniSection* FindSection(std::string_view name);

  std::string path_;
  const AnsiCodec* ansi_;
  TextEncoding encoding_ = TextEncoding::kNone;
  std::vector<IniSection> sections_;
};

}  // namespace vandrel
