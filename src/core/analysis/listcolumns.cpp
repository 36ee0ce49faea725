#include "core/analysis/listcolumns.h"

#include "core/dataset/dataset.h"

namespace hemu {

void describeColumns(Dataset &ds, std::initializer_list<ListColumn> columns)
{
    for (const ListColumn &c : columns) {
        Field &f = ds.addDataField(QString::fromLatin1(c.name));
        f.setCaption(QString::fromUtf8(c.caption));
        if (c.format) {
            f.setDataType(DataType::Float);
            f.setDisplayFormat(QString::fromLatin1(c.format));
        }
    }
}

} // namespace hemu
