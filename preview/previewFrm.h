#pragma once
// The window "预览网站": the site as it would go out, rendered on this machine, at a
// computer's or a phone's width, kept up to date while it is open, with what the
// renderer left out listed under it.

#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QWebEngineProfile;
class QWebEngineView;

namespace preview {
class SitePreview;
}
namespace workWindow {
class WaitCursor;
}

class previewFrm : public QWidget {
    Q_OBJECT
public:
    // Widths the page is laid out at, in the page's own pixels.
    static constexpr int desktopWidth = 1366;
    static constexpr int phoneWidth = 390;

    // Shows the preview of the working folder, rendered afresh; one window for the
    // program, owned by `owner`'s window.
    static previewFrm* open(QWidget* owner);
    // The open preview, or nullptr.
    static previewFrm* instance();
    ~previewFrm() override;

    // The width the page is laid out at now.
    int pageWidth() const { return m_width; }
    preview::SitePreview* sitePreview() const { return m_preview; }

    QPushButton* cmd_desktop = nullptr;
    QPushButton* cmd_phone = nullptr;
    QPushButton* cmd_browser = nullptr;
    QLabel* lbl_status = nullptr;
    QProgressBar* prg_render = nullptr;
    QWebEngineView* web_preview = nullptr;
    QLabel* lbl_left = nullptr;
    QListWidget* lst_left = nullptr;

public Q_SLOTS:
    void cmd_desktop_Click();
    void cmd_phone_Click();
    void cmd_browser_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit previewFrm(QWidget* owner);
    void buildControls();
    void showWidth(int width);
    void placeView();
    void renderingStarted();
    void rendered();

    preview::SitePreview* m_preview = nullptr;
    QWebEngineProfile* m_profile = nullptr;
    QWidget* m_stage = nullptr;
    int m_width = desktopWidth;
    std::unique_ptr<workWindow::WaitCursor> m_waiting;
};
