#pragma once

#include <QColor>
#include <QHeaderView>
#include <QList>

namespace hemu {

/**
 * The column titles of a DataGrid: a caption "上|下" is a two-line title, neighbouring columns
 * with the same upper part share one upper cell, and one title can be highlighted (the sort
 * column: green with white text).
 */
class DataGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit DataGridHeader(QWidget *parent = nullptr);

    /// Splits "上|下" at the first '|'; a caption without one has no upper part.
    static void splitCaption(const QString &caption, QString *upper, QString *lower);

    /// The caption of a section as the model writes it.
    QString caption(int logicalIndex) const;
    /// The upper text of a two-line title; empty for a one-line title.
    QString upperText(int logicalIndex) const;
    /// The lower text of a two-line title, or the whole one-line title.
    QString lowerText(int logicalIndex) const;
    /// Some visible title has two lines: the header is two rows high.
    bool isTwoLevel() const;
    /// The shown sections, in visual order, sharing the upper cell of `logicalIndex`: itself
    /// alone for a one-line title or an upper text no neighbour repeats.
    QList<int> upperSpan(int logicalIndex) const;

    /// The title painted in the highlight colours; -1 for none.
    void setHighlightedSection(int logicalIndex);
    int highlightedSection() const { return m_highlighted; }
    static QColor highlightBackground() { return QColor(0, 128, 0); }
    static QColor highlightText() { return Qt::white; }
    /// The colours a section's lower (or only) cell is painted with.
    QColor sectionBackground(int logicalIndex) const;
    QColor sectionTextColour(int logicalIndex) const;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    QRect spanRect(const QList<int> &span, int height) const;
    void paintCell(QPainter *painter, const QRect &cell, const QRect &clip, const QString &text, bool highlighted) const;
    int lineHeight() const;

    int m_highlighted = -1;
};

} // namespace hemu
