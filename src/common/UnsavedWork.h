// The question asked before unsaved work would be lost (closing a window, opening or starting
// another drawing, quitting): what to do is decided here, over the message interface, so every
// answer can be checked without a window.
#pragma once

#include "common/UiServices.h"

#include <functional>
#include <string>

namespace velrok {

// Whether the caller may go on with what would throw the work away.
enum class UnsavedDecision { GoOn, Stay };

// Asks nothing when the work is saved. Otherwise shows `text` under `title` with Save, Discard and
// Cancel: Save calls `save` and goes on only when it reports success (a failed or cancelled save
// keeps the work and stays); Discard goes on; Cancel, or closing the box, stays.
UnsavedDecision ConfirmUnsavedWork(MessageService& messages, bool modified, const std::string& title,
                                   const std::string& text, const std::function<bool()>& save);

} // namespace velrok
