#pragma once

#include "platform/interface_table.h"

#include <QtEndian>

#include <initializer_list>
#include <utility>

// A row with the given 32-bit fields, by offset, and bytes in its physical address field.
inline QByteArray tableRow(std::initializer_list<std::pair<int, quint32>> fields,
                           const QByteArray &physicalAddress = {})
{
    QByteArray row(IfRow::Size, '\0');
    for (const auto &[offset, value] : fields)
        qToLittleEndian(value, row.data() + offset);
    return row.replace(IfRow::PhysAddr, physicalAddress.size(), physicalAddress);
}

// A table of the rows whose count field says count, the number of rows unless given.
inline QByteArray tableOf(std::initializer_list<QByteArray> rows, quint32 count = 0)
{
    QByteArray table(IfRow::TableHeader, '\0');
    qToLittleEndian(count ? count : quint32(rows.size()), table.data());
    for (const QByteArray &row : rows)
        table += row;
    return table;
}

// Answers every read with the status and table it holds, and counts the reads.
struct ScriptedInterfaceTable final : InterfaceTable {
    Status GetIfTable(QByteArray &out) override
    {
        ++reads;
        out = status == Status::Ok ? table : QByteArray();
        return status;
    }
    Status status = Status::Ok;
    QByteArray table = tableOf({});
    int reads = 0;
};
