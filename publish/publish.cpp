#include "publish/publish.h"

#include "publish/renderer.h"

namespace publish {

Result renderSite(const QString& uploadDir, const QString& skinsDir, const QString& outDir) {
    Renderer r(uploadDir, skinsDir, outDir);
    return r.run();
}

} // namespace publish
