#include "ui/components/DS.h"

#include <QApplication>
#include <QRegularExpression>

#include <map>

namespace vp::ui::DS {

QFont font(double points, QFont::Weight weight) {
    QFont f = QApplication::font();
    // Qt measures point sizes at 72 per inch on a 96-per-inch logical
    // screen; the interface's points are logical pixels.
    f.setPointSizeF(points * 72.0 / 96.0);
    f.setWeight(weight);
    return f;
}

namespace {

const std::map<QString, QColor>& tokens() {
    static const std::map<QString, QColor> all{
        {"bg", bg},         {"surface", surface}, {"surface2", surface2}, {"border", border},
        {"primary", primary}, {"primaryDeep", primaryDeep}, {"glow", glow}, {"warning", warning},
        {"warm", warm},     {"text", text},       {"muted", muted},       {"faint", faint},
    };
    return all;
}

QString css(const QColor& c) {
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF());
}

}  // namespace

QString sheet(const QString& withTokens) {
    static const QRegularExpression token(QStringLiteral(R"(\$(\w+)(?:@(\d{1,3}))?)"));
    QString out;
    qsizetype from = 0;
    for (auto it = token.globalMatch(withTokens); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += withTokens.mid(from, match.capturedStart() - from);
        from = match.capturedEnd();
        auto found = tokens().find(match.captured(1));
        if (found == tokens().end()) {
            out += match.captured();
            continue;
        }
        QColor color = found->second;
        if (match.hasCaptured(2)) color.setAlphaF(float(std::min(match.captured(2).toInt(), 100)) / 100.0f);
        out += css(color);
    }
    return out + withTokens.mid(from);
}

}  // namespace vp::ui::DS
