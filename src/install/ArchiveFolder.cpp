#include "install/ArchiveFolder.h"

#include <cstdio>

#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "common/Translate.h"
#include "platform/FileSystem.h"
#include "platform/Home.h"

namespace kestrel {
namespace {

constexpr int kMsgLibraryMissing = 460;
constexpr int kMsgLibraryTooOld = 461;
constexpr int kMsgUnpackFolder = 581;
constexpr char kExtractFailed[] =
    QT_TRANSLATE_NOOP("Kestrel", "解凍に失敗しました(%d)\n\n　書庫　　：%s\n　フォルダ：%s\n　ファイル：%s");

// The library for an archive, or null after telling the user why not.
std::unique_ptr<ArchiveLibrary> UsableLibrary(const std::string& archive, bool forListing) {
  ArchiveFormat format = ArchiveFormatOf(archive);
  auto library = LoadArchiveLibrary(format);
  if (!library) {
    ErrorBox(MessageText(kMsgLibraryMissing), ArchiveLibraryName(format).c_str());
    return nullptr;
  }
  if (forListing ? !library->canList() : !library->canExtract()) {
    ErrorBox(MessageText(kMsgLibraryTooOld), library->name().c_str());
    return nullptr;
  }
  return library;
}

}  // namespace

std::vector<std::string> ArchiveListItem::subItems(bool withDescription) const {
  if (withDescription) return {size, date, description, path};
  return {size, date, path};
}

int ArchiveMemberPathSubItem(bool withDescription) { return withDescription ? 3 : 2; }

std::string DosDateTimeText(std::uint16_t date, std::uint16_t time) {
  char text[64];
  unsigned d = date, t = time;
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u", 1980 + (d >> 9), (d >> 5) & 15,
                d & 31, t >> 11, (t >> 5) & 63, (t & 31) * 2);
  return text;
}

ArchiveListItem ArchiveItemOf(const ArchiveEntry& entry) {
  ArchiveListItem item;
  // The name the member is extracted under, so that caption and extracted
  // file always agree.
  item.caption = MemberFileName(entry.path);
  item.size = std::to_string(entry.compressedSize);
  item.date = DosDateTimeText(entry.date, entry.time);
  item.path = entry.path;
  std::string ext = UpperAscii(ExtensionOf(item.caption));
  if (ext == ".PRC" || ext == ".PDB") {
    item.icon = kIconPalmFile;
    item.selected = true;
  } else if (ext == ".ZIP" || ext == ".LZH") {
    item.icon = kIconArchive;
  }
  return item;
}

bool ListArchive(const std::string& archive, const ArchiveListOptions& options,
                 std::vector<ArchiveListItem>* items) {
  auto library = UsableLibrary(archive, true);
  if (!library) return false;
  auto reader = library->open(archive);
  ArchiveEntry entry;
  for (bool found = reader->findFirst(&entry); found; found = reader->findNext(&entry)) {
    if (entry.compressedSize == 0) continue;  // folder entries and empty files
    ArchiveListItem item = ArchiveItemOf(entry);
    if (options.withDescription && options.describe) item.description = options.describe(item.caption);
    items->push_back(std::move(item));
  }
  return true;
}

std::string ArchiveUnpackFolder() {
  std::string relative = MessageText(kMsgUnpackFolder);
  for (char& c : relative) {
    if (c == '\\') c = kPathSeparator;
  }
  return ProgramFolder() + relative;
}

std::string ExtractMember(const std::string& archive, const std::string& member) {
  return ExtractMemberInto(archive, member, ArchiveUnpackFolder());
}

std::string ExtractMemberInto(const std::string& archive, const std::string& member,
                              const std::string& folder) {
  std::string into = WithoutTrailingBackslash(folder);
  bool made = TheFileSystem().isDirectory(into) || TheFileSystem().createDirectories(into);
  auto library = UsableLibrary(archive, false);
  if (!library) return "";
  int r = made ? library->extract(archive, member, into) : kArchiveCannotWrite;
  if (r != kArchiveOk) {
    ErrorBox(kExtractFailed, r, archive.c_str(), into.c_str(), member.c_str());
    return "";
  }
  return WithTrailingBackslash(into) + MemberFileName(member);
}

}  // namespace kestrel
