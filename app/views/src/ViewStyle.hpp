#pragma once

#include <QColor>
#include <QKeySequence>
#include <QString>
#include <string_view>

#include <spanlet/Commands.hpp>
#include <spanlet/platform/PermissionPort.hpp>

class QLabel;
class QPushButton;
class QWidget;

/// Shared look and small helpers of the tool views.
namespace spanlet::views {

inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// A label with `text`; wrapping ones are for sentences, the others for single words.
QLabel* label(const QString& text, bool wrap = true);
/// Text in the secondary colour: the window text at reduced opacity.
void makeSecondary(QWidget* widget);
/// The smaller caption font.
void makeCaption(QWidget* widget);
/// Scales the widget's font by `factor`, optionally bold.
void scaleFont(QWidget* widget, double factor, bool bold);
/// The text colour at `opacity`.
QColor withAlpha(QColor color, double opacity);

/// The keys of a shortcut as Qt reads them: control → Ctrl, shift → Shift, option → Alt,
/// command → Meta, and the key's first character.
QKeySequence keySequence(const Shortcut& shortcut);

/// What a key press that no control took means to a view with default and cancel buttons:
/// Return and Enter click the default button, Escape the cancel button (when given). Whether
/// the key was used.
bool pressDialogButton(int key, QPushButton* defaultButton, QPushButton* cancelButton);

/// Fixes the height of `view` (whose width is already fixed) to what its content needs.
void fitHeight(QWidget* view);

/// Carries out the action the permission offers (labelled `action`), after asking its question,
/// where it has one, in a dialog over `parent`.
void grantAfterAsking(QWidget* parent, PermissionPort& permission, const QString& action);

} // namespace spanlet::views
