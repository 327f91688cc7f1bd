// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The logging category of the program's windows and entry point ("veltrio.shell"), defined once
// in MainDlg.cpp. Warnings are shown by default, debug lines with the category enabled.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcShell)
