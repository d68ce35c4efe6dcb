// The published home page in a browser engine, at a laptop's and at phones' widths: the
// pop-up window opens inside the window with its close button in reach, leaves the
// navigation in view, closes with Esc and with its button; the status line and the pop-up
// never cover the copyright line; a visitor who asks for less motion gets a still status
// line. The site is entered through the client's logic and rendered by the renderer.

#include "appearance/mdl_effects.h"
#include "content/mdl_entry.h"
#include "content/mdl_ins.h"
#include "designer/mdl_nov.h"
#include "fixture.h"
#include "publish/publish.h"

#include "../richtext/pageScript.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <memory>

namespace {

const QString kEffectText = QStringLiteral("欢迎光临");

// Where the page's parts are, once at the top and once scrolled to the end.
const char* kLayout = R"((function () {
  function box(e) { var r = e.getBoundingClientRect(); return { l: r.left, t: r.top, r: r.right, b: r.bottom }; }
  function apart(a, b) { return a.r <= b.l || b.r <= a.l || a.b <= b.t || b.b <= a.t; }
  var d = document.querySelector('dialog.orv-popup'), c = d.querySelector('.orv-popup-close');
  var nav = document.querySelector('.orv-nav'), out = { open: d.open };
  var k = box(c);
  out.closeInView = k.l >= 0 && k.t >= 0 && k.r <= innerWidth && k.b <= innerHeight && k.r > k.l;
  out.navInView = !nav || apart(box(nav), box(d));
  var line = document.querySelector('.orv-fx-status');
  out.statusLineInView = !line || apart(box(line), box(d));
  window.scrollTo(0, document.documentElement.scrollHeight);
  var copy = document.querySelector('.orv-copyright'), bar = document.querySelector('.orv-fx-status');
  out.statusLine = !!bar;
  out.copyrightInView = apart(box(copy), box(d)) && (!bar || apart(box(copy), box(bar)));
  return out;
})())";

bool popupOpen(QWebEnginePage* page) {
    return pageScript(page, QStringLiteral("document.querySelector('dialog.orv-popup').open")).toBool();
}

} // namespace

class TestPublishedPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void popupAndStatusLineKeepOutOfTheWay_data();
    void popupAndStatusLineKeepOutOfTheWay();
    void popupClosesWithEscAndItsButton();
    void statusLineStandsStillForLessMotion();

private:
    void load(QWebEngineView& view, const QSize& size);
    std::unique_ptr<TempInstall> m_inst;
    QTemporaryDir m_out;
    QString m_site;
};

void TestPublishedPage::initTestCase() {
    m_inst = std::make_unique<TempInstall>();
    QVERIFY(m_inst->openSite());
    // The pop-up as a desktop user places it: far right, tall.
    mdl_effects::AdBoard board;
    board.width = QStringLiteral("400");
    board.height = QStringLiteral("500");
    board.top = QStringLiteral("10");
    board.left = QStringLiteral("900");
    board.title = QStringLiteral("开业公告");
    board.content = QStringLiteral("新厂区落成\n欢迎参观");
    QVERIFY(mdl_effects::storeAdBoard(board));
    QVERIFY(mdl_effects::storeScript({10, kEffectText}));
    const mdl_nov::AddResult about =
        mdl_nov::addNode(mdl_nov::Level::None, {}, QStringLiteral("公司简介"), false, QStringLiteral("txt"));
    QCOMPARE(about.status, mdl_nov::AddResult::Added);
    QVERIFY(mdl_ins::savePage(mdl_nov::levelPrefix(about.level) + QStringLiteral("_1"), QStringLiteral("公司简介"), QStringLiteral("txt"), true,
                              {QStringLiteral("关于我们"), QStringLiteral("第一段\n第二段"), {}, {}})
                .ok());
    const mdl_nov::AddResult news =
        mdl_nov::addNode(mdl_nov::Level::None, {}, QStringLiteral("新闻中心"), false, QStringLiteral("news"));
    QCOMPARE(news.status, mdl_nov::AddResult::Added);
    for (int n = 1; n <= 8; ++n)
        QVERIFY(mdl_entry::addNews(mdl_nov::levelPrefix(news.level) + QStringLiteral("_2"), QStringLiteral("新闻中心"),
                                   {QStringLiteral("新闻%1").arg(n), QStringLiteral("2026-03-%1").arg(n, 2, 10, QLatin1Char('0')),
                                    QStringLiteral("正文%1").arg(n), {}})
                    .ok());
    m_site = m_out.path() + QStringLiteral("/site");
    const publish::Result r =
        publish::renderSite(m_inst->defaultWorkPath(), builtInstallPath() + QStringLiteral("skins"), m_site);
    QVERIFY2(r.ok, qPrintable(r.error));
}

void TestPublishedPage::load(QWebEngineView& view, const QSize& size) {
    view.resize(size);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.load(QUrl::fromLocalFile(m_site + QStringLiteral("/index.html")));
    QVERIFY(loaded.wait(30000));
    QVERIFY(loaded.first().first().toBool());
    QTRY_COMPARE(pageScript(view.page(), QStringLiteral("innerWidth")).toInt(), size.width());
}

void TestPublishedPage::popupAndStatusLineKeepOutOfTheWay_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("laptop 1024") << QSize(1024, 768);
    QTest::newRow("phone 390") << QSize(390, 844);
    QTest::newRow("phone 320") << QSize(320, 640);
}

void TestPublishedPage::popupAndStatusLineKeepOutOfTheWay() {
    QFETCH(QSize, size);
    QWebEngineView view;
    load(view, size);
    if (QTest::currentTestFailed())
        return;
    // The status line is the effect's: it is there once its script has run.
    QTRY_VERIFY(pageScript(view.page(), QStringLiteral("!!document.querySelector('.orv-fx-status')")).toBool());
    const QVariantMap at = pageScript(view.page(), QString::fromUtf8(kLayout)).toMap();
    QVERIFY(at.value(QStringLiteral("open")).toBool());
    QVERIFY2(at.value(QStringLiteral("closeInView")).toBool(), "the close button is out of the window");
    QVERIFY2(at.value(QStringLiteral("navInView")).toBool(), "the pop-up covers the navigation");
    QVERIFY2(at.value(QStringLiteral("statusLineInView")).toBool(), "the pop-up covers the status line");
    QVERIFY(at.value(QStringLiteral("statusLine")).toBool());
    QVERIFY2(at.value(QStringLiteral("copyrightInView")).toBool(), "the copyright line is covered");
}

void TestPublishedPage::popupClosesWithEscAndItsButton() {
    QWebEngineView view;
    load(view, {1024, 768});
    if (QTest::currentTestFailed())
        return;
    QVERIFY(popupOpen(view.page()));
    view.setFocus();
    QTRY_VERIFY(view.focusProxy() && view.focusProxy()->hasFocus());
    QTest::keyClick(view.focusProxy(), Qt::Key_Escape);
    QTRY_VERIFY(!popupOpen(view.page()));
    // Its button closes it without a script of its own.
    view.reload();
    QTRY_VERIFY(popupOpen(view.page()));
    pageScript(view.page(), QStringLiteral("document.querySelector('.orv-popup-close').click()"));
    QTRY_VERIFY(!popupOpen(view.page()));
}

void TestPublishedPage::statusLineStandsStillForLessMotion() {
    QWebEngineView view;
    // What the status line shows after each step of its effect.
    QWebEngineScript steps;
    steps.setInjectionPoint(QWebEngineScript::DocumentCreation);
    steps.setWorldId(QWebEngineScript::MainWorld);
    steps.setSourceCode(QStringLiteral(R"(window.shown = [];
        var every = window.setInterval;
        window.setInterval = function (f, ms) {
          return every(function () { f(); var b = document.querySelector('.orv-fx-status'); if (b) shown.push(b.textContent); }, ms);
        };)"));
    view.page()->scripts().insert(steps);
    load(view, {1024, 768});
    if (QTest::currentTestFailed())
        return;
    QVERIFY(pageScript(view.page(), QStringLiteral("matchMedia('(prefers-reduced-motion: reduce)').matches")).toBool());
    QTRY_VERIFY(pageScript(view.page(), QStringLiteral("shown.length")).toInt() >= 5);
    const QStringList shown = pageScript(view.page(), QStringLiteral("shown")).toStringList();
    for (const QString& s : shown)
        QCOMPARE(s, kEffectText);
}

int main(int argc, char** argv) {
    // The visitor asks for less motion; nothing else in these tests moves.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --force-prefers-reduced-motion");
    QApplication app(argc, argv);
    TestPublishedPage t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_publishedPage.moc"
