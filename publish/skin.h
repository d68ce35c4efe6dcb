#pragma once
// A page skeleton of skins/templates/<code>/skin.html, and the catalogue of skins.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace publish {

class Skin {
public:
    // Reads and splits the skeleton; false with the reason when it cannot be read.
    bool load(const QString& file, QString* error);
    // The page: every {{name}} replaced by its value ("" when it has none), in one pass,
    // so what a value holds is never read as a placeholder.
    QString fill(const QHash<QString, QString>& values) const;
    bool uses(const QString& slot) const { return m_slots.contains(slot); }

private:
    struct Part {
        QString text; // literal text, or the placeholder's name when `slot`
        bool slot = false;
    };
    QList<Part> m_parts;
    QStringList m_slots;
    qsizetype m_literalSize = 0;
};

// What skins/catalogue.json says of the templates and name styles.
struct Catalogue {
    struct Template {
        QString code;
        QString kind; // "home" or "inner"
        QString nameStyle;
        // Items per home-page block.
        int news = 7;
        int products = 4;
        int gallery = 4;
    };
    QList<Template> templates;
    QStringList nameStyles;
    const Template* find(const QString& code) const;
};

// An unreadable or missing catalogue gives an empty one.
Catalogue loadCatalogue(const QString& file);

} // namespace publish
