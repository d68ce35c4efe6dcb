#include "publish/publish.h"

#include "publish/renderer.h"

namespace publish {

Result renderSite(const Options& options) {
    Renderer r(options);
    return r.run();
}

Result renderSite(const QString& uploadDir, const QString& skinsDir, const QString& outDir) {
    Options o;
    o.uploadDir = uploadDir;
    o.skinsDir = skinsDir;
    o.outDir = outDir;
    return renderSite(o);
}

} // namespace publish
