#pragma once

#include <QString>
#include <QVector>

namespace device {

/// USB vendor ids that are always taken for a touch frame, in this order.
const QVector<int> &builtInVendorIds();

/// The built-in vendor ids followed by the extra ids of the "/config/vid" setting: hexadecimal numbers separated
/// by "+". A part that does not convert (empty, not hexadecimal, out of int range) is skipped; an id already in the
/// list is not added again. Never fails: the built-in ids are always there.
QVector<int> vendorIdsFromSetting(const QString &setting);

}  // namespace device
