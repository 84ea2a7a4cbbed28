#include "CWinThread.h"

int CWinThread::ExitInstance()
{
    return 0;
}
