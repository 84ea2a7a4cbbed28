#include "TeamExport.h"

#include "DatabaseConnection.h"
#include "DatabaseStatement.h"
#include "DatabaseTransaction.h"
#include "TeamBatches.h"
#include "TeamPages.h"

TeamExportData TeamExport::Read(DatabaseConnection& connection, std::int64_t batch)
{
    DatabaseTransaction transaction(connection);
    DatabaseStatement snapshot(connection, L"SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    snapshot.Execute();
    TeamExportData data;
    data.batch = TeamBatches::ReadDefinition(connection, batch, false);
    data.pages = TeamPages::LoadAll(connection, batch, {"done"});
    transaction.Rollback();
    return data;
}
