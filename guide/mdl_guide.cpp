#include "guide/mdl_guide.h"

#include <QFileInfo>

namespace mdl_guide {

namespace {
const QString kFolder = QStringLiteral("folder");
const QString kFile = QStringLiteral("file");

Topic group(const QString& key, const QString& text, const QString& picture) {
    return {key, text, QString(), kFolder, picture};
}
Topic page(const QString& key, const QString& text, const QString& parent) {
    return {key, text, parent, kFile, kFile};
}
} // namespace

const QList<Topic>& topics() {
    static const QList<Topic> all{
        group(QStringLiteral("about"), QStringLiteral("Orvane功能"), QStringLiteral("open")),
        page(QStringLiteral("prodIntro.htm"), QStringLiteral("Orvane简介"), QStringLiteral("about")),
        page(QStringLiteral("setup.htm"), QStringLiteral("Orvane安装"), QStringLiteral("about")),
        page(QStringLiteral("main.htm"), QStringLiteral("Orvane主界面"), QStringLiteral("about")),
        page(QStringLiteral("basic.htm"), QStringLiteral("基本信息"), QStringLiteral("about")),
        page(QStringLiteral("sltTmpl.htm"), QStringLiteral("选择模板"), QStringLiteral("about")),
        page(QStringLiteral("dgn.htm"), QStringLiteral("设计栏目"), QStringLiteral("about")),
        page(QStringLiteral("ins.htm"), QStringLiteral("录入数据"), QStringLiteral("about")),
        page(QStringLiteral("updata.htm"), QStringLiteral("上传数据"), QStringLiteral("about")),
        group(QStringLiteral("doc"), QStringLiteral("关于我们"), QStringLiteral("close")),
        page(QStringLiteral("index.htm"), QStringLiteral("欢迎使用"), QStringLiteral("doc")),
        page(QStringLiteral("ceo.htm"), QStringLiteral("总裁致词"), QStringLiteral("doc")),
        page(QStringLiteral("intro.htm"), QStringLiteral("公司介绍"), QStringLiteral("doc")),
        page(QStringLiteral("pay.htm"), QStringLiteral("购买须知"), QStringLiteral("doc")),
        group(QStringLiteral("FAQ"), QStringLiteral("常见问题"), QStringLiteral("close")),
        page(QStringLiteral("faq01.htm"), QStringLiteral("什么是互联网，互联网有那些用途?"),
             QStringLiteral("FAQ")),
        page(QStringLiteral("faq02.htm"),
             QStringLiteral("企业为什么要在互联网上建立自己的网站，有何好处？"),
             QStringLiteral("FAQ")),
        page(QStringLiteral("faq03.htm"), QStringLiteral("要在互联网上建立自己的网站需要哪些条件？"),
             QStringLiteral("FAQ")),
        page(QStringLiteral("faq04.htm"), QStringLiteral("Orvane2003对上网显示的图片有什么要求?"),
             QStringLiteral("FAQ")),
        page(QStringLiteral("faq05.htm"),
             QStringLiteral("在生成网站时，上传速度较慢或中间停止，为什么？"),
             QStringLiteral("FAQ")),
        page(QStringLiteral("suc.htm"), QStringLiteral("成功案例"), QString()),
    };
    return all;
}

QString helpFolder(const QString& currentPath) {
    return currentPath + QStringLiteral("help/");
}

QUrl indexPage(const QString& currentPath) {
    return pageFor(currentPath, QStringLiteral("index.htm"));
}

QUrl pageFor(const QString& currentPath, const QString& key) {
    const QString file = helpFolder(currentPath) + key;
    if (key.isEmpty() || !QFileInfo(file).isFile())
        return QUrl(QStringLiteral("about:blank"));
    return QUrl::fromLocalFile(file);
}

} // namespace mdl_guide
