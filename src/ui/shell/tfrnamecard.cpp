#include "ui/shell/tfrnamecard.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace hemu {

TfrNameCard::TfrNameCard(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frNameCard"));
    setWindowTitle(QStringLiteral("服务联系"));
    m_text->setObjectName(QStringLiteral("Memo1"));
    m_text->setReadOnly(true);
    m_text->setPlainText(contactText());
    m_text->setFrameShape(QFrame::Box);
    m_text->document()->setDocumentMargin(12);
    m_text->viewport()->setCursor(Qt::PointingHandCursor);
    m_text->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    resize(480, 360);
}

QString TfrNameCard::contactText()
{
    return QStringLiteral(
        "禾木商务管理  Version 2.0\n"
        "\n"
        "服务咨询\n"
        "本软件的安装、升级、数据迁移和操作培训，请与为贵公司安装本软件的服务商联系；"
        "公司内部的使用问题，请先询问贵公司的系统管理员。\n"
        "\n"
        "联系之前请准备好：\n"
        "  · 软件版本（见“帮助”菜单“关于”）；\n"
        "  · 出现问题时的操作步骤和提示文字；\n"
        "  · 一份最近的备份（“文件”→“套帐维护”→“备份数据”）。\n"
        "\n"
        "数据出现异常时，请先停止录入，不要覆盖或删除套帐文件。\n"
        "操作方法请查阅“帮助”菜单中的使用说明。\n"
        "\n"
        "（单击此处关闭）");
}

bool TfrNameCard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text->viewport() && event->type() == QEvent::MouseButtonRelease) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace hemu
