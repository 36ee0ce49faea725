#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QVariant>

namespace hemu {

class Dataset;

/** One entry of a fixed-choice list: the value stored and the text shown. */
struct Choice
{
    QVariant value;
    QString text;
};
using Choices = QList<Choice>;

/// Choices whose stored value is their text ("男", "女").
Choices choicesOf(const QStringList &texts);
/// The text of `value` among `choices`; the value as text when it is none of them.
QString choiceText(const Choices &choices, const QVariant &value);

/**
 * What a grid shows in one column, written once per grid and kept by it whatever dataset
 * it is given:
 *
 *     grid->setColumns({
 *         {.field = "GoodID", .title = "商品|编码", .width = 60, .readOnly = true},
 *         {.field = "lkCata", .title = "类别", .editor = GridColumn::Editor::Lookup},
 *         {.field = "Sex", .editor = GridColumn::Editor::Choice, .choices = choicesOf({"男", "女"})},
 *     });
 */
struct GridColumn
{
    enum class Editor {
        Text,   ///< typed in place (the field's own editor: text, number, date, check box)
        None,   ///< never edited in place
        Lookup, ///< a drop-down over a lookup dataset storing the chosen row's key
        Choice, ///< a drop-down over `choices`
    };

    QString field = {};
    /// The title; "上|下" is a two-line title. Empty: the field's caption.
    QString title = {};
    /// Width in pixels; 0 sizes the column to its title and first rows.
    int width = 0;
    bool readOnly = false;
    /// Background of the column's cells (a row-colour rule that gives one wins).
    QColor background = {};
    Editor editor = Editor::Text;
    /// For a Lookup editor on a data field: the dataset listed, its key stored in `field`
    /// and the field shown. A lookup field brings its own.
    Dataset *lookup = nullptr;
    QString lookupKey = {};
    QString lookupList = {};
    /// For a Choice editor; also how the column shows its values.
    Choices choices = {};
};

} // namespace hemu
