#include "core/data/basedata.h"

namespace hemu {

BaseData::BaseData(Prompter &prompter, QObject *parent)
    : QObject(parent)
    , m_prompter(prompter)
    , m_connection(QStringLiteral("MyADOCnn-%1").arg(quintptr(this), 0, 16))
{
}

BaseData::~BaseData() = default;

} // namespace hemu
