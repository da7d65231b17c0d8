#include "datasource/session/source_record.h"

#include "datasource/panel/panel_link.h"
#include "datasource/session/identity.h"
#include "datasource/strings/names.h"
#include "datasource/transfer/picture.h"

namespace qm::ds {

SourceRecord::SourceRecord()
{
    fillInitialIdentity(source);
    transfer.fileName = kDefaultTransferFile;
}

void releaseSourceRecord(SourceRecord& record)
{
    releaseImageBuffer(record.transfer);
    unloadPanelModule(record.panel);
}

}  // namespace qm::ds
