#pragma once

#include <QString>
#include <QStringView>
#include <QVector>

#include <optional>

namespace device {

/// USB vendor ids that are always taken for a touch frame, in this order.
const QVector<int> &builtInVendorIds();

/// One "+"-separated part of the "/config/vid" setting as a vendor id: hexadecimal, as QString::toInt with base
/// 16 reads it. @return nullopt when it does not convert (empty, not hexadecimal, out of int range).
std::optional<int> vendorIdFromPart(QStringView part);

/// The built-in vendor ids followed by the extra ids of the "/config/vid" setting: hexadecimal numbers separated
/// by "+". A part that does not convert (empty, not hexadecimal, out of int range) is skipped; an id already in the
/// list is not added again. Never fails: the built-in ids are always there.
QVector<int> vendorIdsFromSetting(const QString &setting);

}  // namespace device
