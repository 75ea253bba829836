#pragma once

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <spanlet/overlay/GuideEditor.hpp>

namespace spanlet {

/// The guide editor's input inside one overlay panel: turns Qt's mouse, context-menu and key
/// events into GuideEditor calls and shows its cursor. It paints nothing; the panel paints.
/// Accessible as a group named "Guides editor".
class GuideEditorView : public QWidget {
    Q_OBJECT
public:
    GuideEditorView(Mensor& model, const DisplayPort& displays, std::uint32_t screenId,
                    QWidget* parent = nullptr);

    [[nodiscard]] GuideEditor& editor() noexcept { return editor_; }

    static const QString accessibleNameText;
    static const QString helpText;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void showContextMenu(const QPoint& globalPos);
    void updateCursor();

    GuideEditor editor_;
    QPointer<QMenu> menu_;
};

/// The key as the guide editor sees it.
EditorKeyPress editorKeyPress(const QKeyEvent& event);

} // namespace spanlet
