#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(com_lanternhillstudios_packager2_uiPlugin)
