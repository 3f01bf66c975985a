#pragma once

#include <QString>

// "Ver %d.%d.%d Build %d" from the version the build sets; empty when the build set none.
QString GetVersionText();
