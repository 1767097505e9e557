import QtQuick
import com.lanternhillstudios.zarn_ui

// Another name for the raised bevel, identical in every respect.
BasicBevel {
}
