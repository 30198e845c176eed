#pragma once

#include <QFont>
#include <QPalette>

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

// Qt's Windows 11 style draws selections in the system's accent colour, which
// Qt reads from the registry. Where the system keeps none (Wine), that colour
// is invalid and paints black under white text. Fills the selection and
// accent colours that are invalid with Windows' default accent, #0078D4,
// taken as Qt takes an accent: a shade darker (120 %) on a light palette,
// itself on a dark one. Returns whether it filled any.
bool fillMissingAccent(QPalette& palette);

} // namespace quanvik
