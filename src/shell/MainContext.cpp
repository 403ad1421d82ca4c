#include "shell/MainContext.h"

#include "common/Dialogs.h"
#include "common/Prompter.h"
#include "platform/Shell.h"

namespace kestrel {

Prompter& MainContext::prompter() const { return ThePrompter(); }

Dialogs& MainContext::dialogs() const { return TheDialogs(); }

Shell& MainContext::shell() const { return TheShell(); }

}  // namespace kestrel
