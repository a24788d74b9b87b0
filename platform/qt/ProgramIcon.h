// SPDX-License-Identifier: MIT
#pragma once
// The program's picture, a garnet crystal drawn as SVG: the window icon and
// the 100 by 100 picture of the About window.

#include <QIcon>
#include <QPixmap>

namespace vestrane {

/// The window icon, rendered in the usual icon sizes.
QIcon programIcon();

/// The program picture, @p size by @p size pixels.
QPixmap programPicture(int size = 100);

}  // namespace vestrane
