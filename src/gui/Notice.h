#pragma once

// The two notices the main window and the tray menu open.
enum class Notice { Help, Upgrade };
