// The numbers of Tapisto.exe's own resources, shared by its resource script and the view.
#pragma once

// The program's icon group: the lowest number, so Explorer shows it for the file.
#define TAPISTO_ICON_ID 1
