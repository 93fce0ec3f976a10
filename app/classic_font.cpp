#include "app/classic_font.h"

#include <QStringList>
#include <QWidget>

void ApplyClassicFonts(QWidget* root) {
    auto apply = [](QWidget* w) {
        QFont font = w->font();
        QStringList families{font.family()};
        if (font.family() == QLatin1String("Arial Black"))
            families << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans");
        else
            families << QStringLiteral("Liberation Sans") << QStringLiteral("Arial")
                     << QStringLiteral("DejaVu Sans Condensed");
        font.setFamilies(families);
        w->setFont(font);
    };
    apply(root);
    for (QWidget* w : root->findChildren<QWidget*>()) apply(w);
}
