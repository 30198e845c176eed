#pragma once

#include <QFont>

// What the form needs from its surroundings, so that a bare main() that only
// creates and shows it gets a Chinese, correctly sized window.
namespace quanvik {

// The family is the first one installed of a list of common Simplified Chinese
// sans-serif faces; the size is in pixels because the layout is.
QFont formFont();

// Loads Qt's own Simplified Chinese texts (context menus, standard buttons)
// into the running application, once. Carries on without them if the
// translation is not installed.
void installChineseTranslation();

} // namespace quanvik
