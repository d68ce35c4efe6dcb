#pragma once
// The shared dialog helpers of the windows: the numeric check of digit boxes, the HTML
// colour picker and the folder browser.

#include <QString>

class QLineEdit;
class QWidget;

namespace mdl_func {

// What a dialog that was cancelled reports where a choice was required.
inline constexpr const char16_t* kCancelledText = u"选定了“取消”。";

// Called from a digit box's change handler: a text that is neither empty nor a number
// loses its last character, the box gets the focus and "请输入数字！" is shown.
// True when the text was accepted as it stood.
bool checkNumInput(QLineEdit* box);

// Asks for a colour; "#RRGGBB", or "#000000" after a message when the user cancels.
QString chooseColor(QWidget* parent);

} // namespace mdl_func

namespace mdl_mdifrm {

// Asks for a folder starting at `initial`; its path without a trailing separator, or
// empty when the user cancels.
QString browseFolder(QWidget* owner, const QString& title, const QString& initial);

} // namespace mdl_mdifrm
