// Resource identifiers of Wandrel4.exe.
#pragma once

#define IDI_WANDREL 1
