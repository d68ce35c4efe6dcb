#include "content/recordDialogs.h"

#include "content/insDataFrm_imgs.h"
#include "content/insDataFrm_prod.h"
#include "content/insDatafrm_news.h"
#include "designer/mdl_dgnFrm.h"

#include <memory>

namespace recordDialogs {

namespace {

std::unique_ptr<entryDialog> dialogFor(QWidget* parent, const QString& format, bool modify,
                                       const entryDialog::Target& target) {
    if (format == u"news")
        return modify ? std::unique_ptr<entryDialog>(new insDataFrm_newsMod(target, parent))
                      : std::unique_ptr<entryDialog>(new insDatafrm_news(target, parent));
    if (format == u"imgs")
        return modify ? std::unique_ptr<entryDialog>(new insDataFrm_imgsMod(target, parent))
                      : std::unique_ptr<entryDialog>(new insDataFrm_imgs(target, parent));
    if (mdl_dgnFrm::isProductFormat(format))
        return modify ? std::unique_ptr<entryDialog>(new insDataFrm_prodMod(target, parent))
                      : std::unique_ptr<entryDialog>(new insDataFrm_prod(target, parent));
    return nullptr;
}

bool run(std::unique_ptr<entryDialog> dialog) {
    return dialog && dialog->exec() == QDialog::Accepted;
}

} // namespace

bool add(QWidget* parent, const QString& format, const QString& nodeKey,
         const QString& nodeName) {
    return run(dialogFor(parent, format, false, {nodeKey, nodeName, 0}));
}

bool modify(QWidget* parent, const QString& format, const QString& nodeKey,
            const QString& nodeName, qint64 id) {
    return run(dialogFor(parent, format, true, {nodeKey, nodeName, id}));
}

} // namespace recordDialogs
