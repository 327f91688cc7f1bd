// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLoggingCategory>

// The window layer's diagnostics; warnings by default.
Q_DECLARE_LOGGING_CATEGORY(lcUi)
