#pragma once

#include <QFont>

// What the form needs from its surroundings, so that a bare main() that only
// creates and shows it gets a Chinese, correctly sized window.
namespace quanvik {

// WenQuanYi Micro Hei Mono where installed: full-width Chinese and half-width
// Latin, as the dialog font the boxes were measured for, so that even a '%' in
// its 9-pixel box fits. Otherwise the first installed of other common Simplified
// Chinese faces. Where the system lacks WenQuanYi Micro Hei (Windows), it is
// loaded first from fonts/ in the program's folder, where the Windows packages
// put it. The size is in pixels because the layout is.
QFont formFont();

// Loads Qt's own Simplified Chinese texts (context menus, standard buttons)
// into the running application, once. Carries on without them if the
// translation is not installed.
void installChineseTranslation();

} // namespace quanvik
