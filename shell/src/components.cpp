// The component check: each component's file and its version against the
// main program's own.
#include "shell/components.h"

#include <elf.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "qxabase/app_block.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "shell/startup.h"

namespace qxa {
namespace {

#ifndef QX_VERSION_MAJOR
#error "QX_VERSION_MAJOR must name the project's major version"
#endif
#define QX_COMPONENT_TEXT(x) #x
// The file name a linked library is loaded by: "libQxaBase.so.15".
#define QX_SONAME(name, major) "lib" name ".so." QX_COMPONENT_TEXT(major)

enum class Folder { kProgram, kCommon, kBaseData };

// The components and the files that play their parts.  The framework's
// window, look, backup, report-viewer 2.0, form-editor and image libraries
// have no counterpart in this system and are not checked; the help menu and
// the record layouts, shared libraries of this system, are.
struct Component {
  const char* part;  // the component's part, as the product names it
  Folder folder;
  const char* file;
};
constexpr Component kComponents[] = {
    {"QXABASE.DLL", Folder::kCommon, QX_SONAME("QxaBase", QX_VERSION_MAJOR)},
    {"RAVADODO.DLL", Folder::kCommon, QX_SONAME("ravadodo", QX_VERSION_MAJOR)},
    {"BTRVC.DLL", Folder::kCommon, QX_SONAME("btrvc", QX_VERSION_MAJOR)},
    {"QXWREG.DLL", Folder::kCommon, QX_SONAME("QxWReg", QX_VERSION_MAJOR)},
    {"QXASCRNS.DLL", Folder::kBaseData, "qxascrns.ver"},
    {"QXA-1.DLL", Folder::kCommon, QX_SONAME("Qxa-1", QX_VERSION_MAJOR)},
    {"QXA-2.DLL", Folder::kCommon, QX_SONAME("Qxa-2", QX_VERSION_MAJOR)},
    {"QXA-3.DLL", Folder::kProgram, "libQxa-3.so"},
    {"QXA-4.DLL", Folder::kCommon, QX_SONAME("Qxa-4", QX_VERSION_MAJOR)},
    {"QXA-5.DLL", Folder::kCommon, QX_SONAME("Qxa-5", QX_VERSION_MAJOR)},
    {"QXA-6.DLL", Folder::kCommon, QX_SONAME("Qxa-6", QX_VERSION_MAJOR)},
    {"QXHLPMNU.DLL", Folder::kCommon, QX_SONAME("qxhlpmnu", QX_VERSION_MAJOR)},
    {"records", Folder::kCommon, QX_SONAME("qxrecords", QX_VERSION_MAJOR)},
};

constexpr char kNoteOwner[] = "Quarlex";
constexpr std::uint32_t kNoteTypeVersion = 1;

template <class T>
bool ReadAt(std::ifstream& in, std::uint64_t offset, T* out, std::size_t size = sizeof(T)) {
  in.seekg(static_cast<std::streamoff>(offset));
  return static_cast<bool>(in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size)));
}

// Looks for the version note among the notes of `size` bytes at `offset`.
bool FindVersionNote(std::ifstream& in, std::uint64_t offset, std::uint64_t size, unsigned* ms, unsigned* ls) {
  if (size > (1u << 20)) return false;
  std::vector<unsigned char> notes(size);
  if (!ReadAt(in, offset, notes.data(), notes.size())) return false;
  auto align4 = [](std::uint64_t n) { return (n + 3) & ~std::uint64_t{3}; };
  std::uint64_t at = 0;
  while (at + 12 <= notes.size()) {
    std::uint32_t nameSize, descSize, type;
    std::memcpy(&nameSize, &notes[at], 4);
    std::memcpy(&descSize, &notes[at + 4], 4);
    std::memcpy(&type, &notes[at + 8], 4);
    const std::uint64_t name = at + 12, desc = name + align4(nameSize), next = desc + align4(descSize);
    if (next > notes.size()) return false;
    if (type == kNoteTypeVersion && nameSize == sizeof kNoteOwner && descSize == 8 &&
        std::memcmp(&notes[name], kNoteOwner, sizeof kNoteOwner) == 0) {
      std::uint32_t words[2];
      std::memcpy(words, &notes[desc], 8);
      *ms = words[0];
      *ls = words[1];
      return true;
    }
    at = next;
  }
  return false;
}

// The version note of a 64-bit little-endian ELF file, from its note
// sections.
bool ElfVersion(std::ifstream& in, unsigned* ms, unsigned* ls) {
  Elf64_Ehdr header;
  if (!ReadAt(in, 0, &header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
      header.e_shentsize != sizeof(Elf64_Shdr)) {
    return false;
  }
  for (unsigned i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr section;
    if (!ReadAt(in, header.e_shoff + std::uint64_t{i} * sizeof section, &section)) return false;
    if (section.sh_type == SHT_NOTE && FindVersionNote(in, section.sh_offset, section.sh_size, ms, ls))
      return true;
  }
  return false;
}

// The version of a text version file: "major.minor.patch" on its first line.
bool TextVersion(std::ifstream& in, unsigned* ms, unsigned* ls) {
  in.seekg(0);
  std::string line;
  std::getline(in, line);
  unsigned major = 0, minor = 0, patch = 0;
  char tail = 0;
  const int n = std::sscanf(line.c_str(), "%u.%u.%u%c", &major, &minor, &patch, &tail);
  if (n != 3 && !(n == 4 && (tail == '\r' || tail == ' '))) return false;
  if (major > 0xFFFF || minor > 0xFFFF || patch > 0xFFFF) return false;
  *ms = major << 16 | minor;
  *ls = patch << 16;
  return true;
}

std::string FolderOf(const ComponentFolders& folders, Folder folder) {
  switch (folder) {
    case Folder::kProgram: return folders.program;
    case Folder::kCommon: return folders.common;
    case Folder::kBaseData: return folders.baseData;
  }
  return {};
}

void Report(const char* format, const std::string& file) {
  char caption[96];
  GetCaption(caption, kCaptionError);
  char text[512];
  std::snprintf(text, sizeof text, format, file.c_str());
  MsgBoxShow(text, caption);
  MsgBoxShow("Please re-install the application.", caption);
  NoteShownStartupFailure(std::string(text) + " Please re-install the application.");
}

}  // namespace

int ComponentFileVersion(const char* path, unsigned* mostSignificant, unsigned* leastSignificant) {
  if (!path || !*path) return 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  unsigned ms = 0, ls = 0;
  char magic[4] = {};
  in.read(magic, 4);
  in.clear();
  const bool found = std::memcmp(magic, ELFMAG, SELFMAG) == 0 ? ElfVersion(in, &ms, &ls) : TextVersion(in, &ms, &ls);
  if (!found) return 0;
  if (mostSignificant) *mostSignificant = ms;
  if (leastSignificant) *leastSignificant = ls;
  return 1;
}

ComponentFolders ComponentFoldersOfRun() {
  const SharedAppBlock* app = SharedAppBlockGet();
  return {"/proc/self/exe", app->programFolder, app->commonFolder, app->baseDataFolder};
}

bool CheckComponentVersions(const ComponentFolders& folders) {
  unsigned ms = 0, ls = 0;
  if (!ComponentFileVersion(folders.mainProgram.c_str(), &ms, &ls)) return false;
  for (const Component& c : kComponents) {
    const std::string path = FolderOf(folders, c.folder) + "/" + c.file;
    if (access(path.c_str(), R_OK) != 0) {
      Report("The file %s cannot be located.", path);
      return false;
    }
    // A file that carries no version is not one of this release either.
    unsigned ms2 = 0, ls2 = 0;
    if (!ComponentFileVersion(path.c_str(), &ms2, &ls2) || ms2 != ms || ls2 != ls) {
      Report("The file %s is the wrong version.", path);
      return false;
    }
  }
  return true;
}

bool CheckComponentVersions() { return CheckComponentVersions(ComponentFoldersOfRun()); }

}  // namespace qxa
