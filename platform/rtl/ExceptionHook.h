// Who hears of an exception that no caller can take: one raised by a timer's event or another
// handler the message loop runs. The class library's application installs its handler while it
// exists, so code below the user interface reports such errors without knowing of it.
#pragma once

#include <functional>

class TObject;

// Called inside the catch block, with the exception still being handled.
using TExceptionHandler = std::function<void(TObject* sender)>;

// Installs the process's handler (an empty one removes it) and gives back the one it replaces.
TExceptionHandler SetExceptionHandler(TExceptionHandler handler);

// Reports the exception being handled (call it inside a catch block) through the installed
// handler, else on the standard error stream; EAbort stays silent there. Outside a catch block it
// does nothing.
void HandleRunningException(TObject* sender);
