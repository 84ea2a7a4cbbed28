#pragma once

// The tests drive the dialog with the same driver that the kit gives hosts.
#include "TarsilDlg29Driver.h"

using tarsil::DialogDriver;
