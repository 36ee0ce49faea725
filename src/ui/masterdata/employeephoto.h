#pragma once

#include <QLabel>

class QAction;
class QMenu;

namespace hemu {

class Dataset;
class FileChooser;
class ImageBinder;
class Prompter;

/**
 * An employee's photo (`Picture` of `Employees`), stretched to its frame, with the context
 * menu "插入图片" (a picture file, stored when the row is posted; a file that is no readable
 * picture is "图片格式错。") and "清除图片".
 */
class EmployeePhoto : public QLabel
{
    Q_OBJECT
public:
    EmployeePhoto(Dataset *employees, Prompter &prompter, FileChooser &files, QWidget *parent = nullptr);

    QMenu *menu() const { return m_menu; }
    ImageBinder *binder() const { return m_binder; }

    /// "插入图片": asks for a file and loads it into the current employee's row.
    void insertPicture();
    /// "清除图片"
    void clearPicture();

    static QString badPictureText() { return QStringLiteral("图片格式错。"); }

private:
    Dataset *m_employees;
    Prompter &m_prompter;
    FileChooser &m_files;
    ImageBinder *m_binder;
    QMenu *m_menu;
};

} // namespace hemu
