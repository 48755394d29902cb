// SPDX-License-Identifier: MIT
#include "network/NetworkOutput.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/Cp1251.h"
#include "network/NetworkWorkbookLayout.h"
#include "workbook/CsvField.h"
#include "runs/Rounding.h"
#include "workbook/WorkbookFormats.h"

#include <memory>

namespace velmora {

std::string NetworkCatalogueCsv(const NetworkAdjustment& result)
{
    std::string csv = "point,height,sigma,fixed\r\n";
    for (const AdjustedPoint& point : result.points) {
        if (point.kind != PointKind::node)
            continue;
        csv += CsvField(Cp1251ToUtf8(point.point)) + ',' +
               FixedText(point.height, kNetworkMetreDecimals) + ',' +
               FixedText(point.sigma, kNetworkMetreDecimals) + ',' +
               (point.fixed ? "true" : "false") + "\r\n";
    }
    return csv;
}

bool SaveNetworkResults(const std::string& path, OutputFormat format,
                        const LevellingNetwork& network, const NetworkAdjustment& result,
                        const std::string& className, std::string& error)
{
    if (format == OutputFormat::Csv) {
        AtomicFile file(path);
        return file.Open(error) && file.Write(NetworkCatalogueCsv(result), error) &&
               file.Commit(error);
    }
    const std::unique_ptr<WorkbookWriter> workbook = MakeWorkbook(format);
    WriteNetworkWorkbook(*workbook, network, result, className);
    return workbook->Save(path, error);
}

}  // namespace velmora
