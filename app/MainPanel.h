// SPDX-License-Identifier: MIT
#pragma once
// The controls of the main window's panel, Panel1: their captions and
// designed bounds inside the panel, and the window font that lets those
// captions fit.

#include <QFont>
#include <QRect>

class QStyle;

namespace vestrane {

struct PanelControl {
  const char* name;
  const char* text;
  QRect bounds;
  bool checkBox;
};
constexpr PanelControl kLoadButton{"Button1", "Load TAB file", {5, 7, 78, 25}, false};
constexpr PanelControl kGenerateButton{"Button2", "Generate Combinations", {88, 7, 122, 25}, false};
constexpr PanelControl kAboutButton{"Button3", "About", {309, 7, 47, 25}, false};
constexpr PanelControl kAllAtOnce{"CheckBox1", "All at once", {219, 3, 72, 16}, true};
constexpr PanelControl kSeparateFiles{"CheckBox2", "Separate files", {219, 19, 86, 17}, true};
constexpr PanelControl kPanelControls[] = {kLoadButton, kGenerateButton, kAboutButton, kAllAtOnce,
                                           kSeparateFiles};

/// The window's font (see windowFont). A font standing in for MS Sans Serif
/// is narrowed until the panel's captions fit their designed widths, since
/// the common replacements are wider than MS Sans Serif.
QFont mainWindowFont(const QStyle* style);

}  // namespace vestrane
