#include "ui/reports/tfrmsetprn.h"

#include "core/prompter.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <cmath>

namespace hemu {

namespace {

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLineEdit *tenthsField(QWidget *parent, const char *name, int value)
{
    auto *edit = new QLineEdit(QString::number(value), parent);
    edit->setObjectName(QString::fromLatin1(name));
    // Up to five digits; blanks are allowed and removed when the paper is applied.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 ]{0,5}")), edit));
    edit->setMaxLength(5);
    return edit;
}

} // namespace

TfrmSetPrn::TfrmSetPrn(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_printer(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("frmSetPrn"));
    setWindowTitle(QStringLiteral("设置打印机"));

    ui.Memo1 = new QPlainTextEdit(this);
    ui.Memo1->setObjectName(QStringLiteral("Memo1"));
    ui.Memo1->setReadOnly(true);
    ui.Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    ui.Memo1->setMinimumSize(300, 330);

    ui.btViewSet = button(this, "btViewSet", QStringLiteral("察看设置"));
    ui.btStandard = button(this, "btStandard", QStringLiteral("标准设置"));
    ui.btApply = button(this, "btApply", QStringLiteral("应用"));
    ui.btOk = button(this, "btOk", QStringLiteral("确定"));
    ui.btCancel = button(this, "btCancel", QStringLiteral("取消"));

    ui.custom = new QGroupBox(QStringLiteral("定制设置"), this);
    ui.custom->setObjectName(QStringLiteral("GroupBox1"));
    ui.medLength = tenthsField(ui.custom, "medLength", printing::kProposedLength);
    ui.medWidth = tenthsField(ui.custom, "medWidth", printing::kProposedWidth);
    ui.cbPrintQlty = new QComboBox(ui.custom);
    ui.cbPrintQlty->setObjectName(QStringLiteral("cbPrintQlty"));
    for (const printing::QualityChoice &choice : printing::qualityChoices())
        ui.cbPrintQlty->addItem(choice.text);
    ui.cbPrintQlty->setCurrentIndex(0);
    auto *form = new QFormLayout(ui.custom);
    form->addRow(QStringLiteral("纸长(0.1mm)"), ui.medLength);
    form->addRow(QStringLiteral("纸宽(0.1mm)"), ui.medWidth);
    form->addRow(QStringLiteral("打印质量"), ui.cbPrintQlty);
    form->addRow(ui.btApply);

    auto *right = new QVBoxLayout;
    right->addWidget(ui.btViewSet);
    right->addWidget(ui.btStandard);
    right->addWidget(ui.custom);
    right->addStretch(1);
    right->addWidget(ui.btOk);
    right->addWidget(ui.btCancel);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(ui.Memo1, 1);
    layout->addLayout(right);

    connect(ui.btViewSet, &QPushButton::clicked, this, &TfrmSetPrn::btViewSetClick);
    connect(ui.btStandard, &QPushButton::clicked, this, &TfrmSetPrn::standardSettings);
    connect(ui.btApply, &QPushButton::clicked, this, &TfrmSetPrn::applyCustom);
    connect(ui.btOk, &QPushButton::clicked, this, &TfrmSetPrn::confirm);
    connect(ui.btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmSetPrn::showModal()
{
    return exec() == QDialog::Accepted;
}

void TfrmSetPrn::keyPressEvent(QKeyEvent *event)
{
    // Shift+F7 anywhere in the dialog: the keys its controls leave alone come here.
    if (event->key() == Qt::Key_F7 && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        askPreviewSwitch();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmSetPrn::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    btViewSetClick();
}

printing::DeviceSettings TfrmSetPrn::deviceSettings() const
{
    printing::DeviceSettings s;
    const QPrinterInfo info(m_printer);
    s.device = m_printer.printerName().isEmpty() ? QStringLiteral("(未安装打印机，打印到 PDF 文件)") : m_printer.printerName();
    s.driver = info.makeAndModel();
    // CUPS names no port; where a queue says where its printer stands, that is shown.
    s.port = info.location();
    // Qt hands out no device-mode handle: the number is the printer's place in the list of
    // installed printers, 0 when there is none to change.
    s.handle = m_printer.printerName().isEmpty() ? 0 : QPrinterInfo::availablePrinterNames().indexOf(m_printer.printerName()) + 1;
    s.specVersion = QString::fromLatin1(qVersion());
    s.driverVersion = QString();
    const QPageLayout layout = m_printer.pageLayout();
    s.orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
    const QPageSize size = layout.pageSize();
    s.paperSize = size.id() == QPageSize::Custom ? printing::kCustomPaperSize : size.windowsId();
    const QSizeF mm = size.size(QPageSize::Millimeter);
    s.paperWidth = int(std::lround(mm.width() * 10));
    s.paperLength = int(std::lround(mm.height() * 10));
    s.scale = 100;
    s.printQuality = m_printer.resolution();
    s.yResolution = m_printer.resolution();
    const QRect pixels = layout.fullRectPixels(m_printer.resolution());
    s.pixelWidth = pixels.width();
    s.pixelHeight = pixels.height();
    return s;
}

void TfrmSetPrn::btViewSetClick()
{
    // One "-" for every ten pixels of the box's width.
    const int rule = std::max(1, ui.Memo1->width() / 10);
    ui.Memo1->setPlainText(printing::settingsLines(deviceSettings(), rule).join(QLatin1Char('\n')));
    m_previewSwitch = false;
}

void TfrmSetPrn::standardSettings()
{
    QPrintDialog dialog(&m_printer, this);
    dialog.setWindowTitle(QStringLiteral("打印设置"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_mode = printing::PrintMode::Standard;
    btViewSetClick();
}

void TfrmSetPrn::applyCustom()
{
    if (!m_printer.isValid())
        return; // no printer whose settings could change
    QString refusal;
    const auto paper = printing::customPaper(ui.medLength->text(), ui.medWidth->text(), ui.cbPrintQlty->currentIndex(), &refusal);
    if (!paper) {
        m_context.prompter.message(refusal);
        return;
    }
    // Qt keeps one resolution for both directions: the horizontal one of the choice.
    m_printer.setResolution(paper->xResolution);
    m_printer.setPageOrientation(QPageLayout::Portrait);
    m_printer.setPageSize(QPageSize(QSizeF(paper->width / 10.0, paper->length / 10.0), QPageSize::Millimeter,
                                    printing::paperSizeName(printing::kCustomPaperSize), QPageSize::ExactMatch));
    m_printer.setFullPage(true);
    m_mode = printing::PrintMode::Custom;
    btViewSetClick();
}

void TfrmSetPrn::confirm()
{
    if (m_context.prompter.question(printing::confirmQuestion(m_mode)))
        accept();
    else
        reject();
}

void TfrmSetPrn::askPreviewSwitch()
{
    if (m_context.prompter.question(QStringLiteral("行式打印预览？")))
        m_previewSwitch = true;
}

} // namespace hemu
