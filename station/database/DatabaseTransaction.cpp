#include "DatabaseTransaction.h"

#include "DatabaseConnection.h"

DatabaseTransaction::~DatabaseTransaction()
{
    if (!m_ended) {
        try {
            m_connection.Rollback();
        } catch (...) { // NOLINT(bugprone-empty-catch): nothing was kept, and nothing more can be done
        }
    }
}

void DatabaseTransaction::Commit()
{
    m_ended = true; // a failed commit has ended the transaction too
    m_connection.Commit();
}

void DatabaseTransaction::Rollback()
{
    m_ended = true;
    m_connection.Rollback();
}
