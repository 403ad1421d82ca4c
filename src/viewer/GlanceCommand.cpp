#include "viewer/GlanceCommand.h"

#include "common/FileRules.h"
#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "install/ArchiveFolder.h"
#include "platform/FileSystem.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

// The extracted copy goes on every way out, a failing window included.
class ExtractedCopy {
 public:
  explicit ExtractedCopy(std::string path) : path_(std::move(path)) {}
  ~ExtractedCopy() {
    if (!path_.empty() && TheFileSystem().exists(path_)) DeleteFileChecked(path_, true);
  }
  ExtractedCopy(const ExtractedCopy&) = delete;
  ExtractedCopy& operator=(const ExtractedCopy&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

Rect GlancePlace(const UserInfo& user, const Rect& mainWindow) {
  Rect saved = user.glanceRect();
  if (user.glanceSavePos() && saved.width != 0 && saved.height != 0) return saved;
  return mainWindow;
}

void KeepGlancePlace(UserInfo& user, const Rect& closedAt) {
  if (!user.glanceSavePos()) return;
  user.setGlanceRect(closedAt);
  user.SaveSettings();
}

bool OpenGlance(UserInfo& user, const std::string& archive, const std::string& member,
                const Rect& mainWindow, const GlanceShow& show, const GlanceExtract& extract) {
  std::string path = extract ? extract(archive, member) : ExtractMember(archive, member);
  if (path.empty()) return false;
  ExtractedCopy copy(path);
  if (!TheFileSystem().exists(path)) return false;
  // What the viewer cannot show (too large, not a file) opens no window.
  std::string refusal = GlanceRefusal(copy.path());
  if (!refusal.empty()) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "ファイルを読めません\n%s\n%s"), copy.path().c_str(), refusal.c_str());
    return false;
  }
  GlanceRequest request;
  request.path = copy.path();
  request.htmlConv = user.glanceHtmlConv();
  request.fonts = {user.glanceJpFontName(), user.glanceJpFontSize(), user.glanceEnFontName(),
                   user.glanceEnFontSize()};
  request.place = GlancePlace(user, mainWindow);
  Rect closedAt = show(request);
  KeepGlancePlace(user, closedAt);
  return true;
}

}  // namespace kestrel
