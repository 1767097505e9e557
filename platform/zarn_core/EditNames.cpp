#include "EditNames.h"

namespace codes {

// The names match the event list's icons; the skip keeps its historical name "Fermata".
const std::map<unsigned char, std::string> editNameByZarnEventCode = {
    {'@', "Vamp"},  {'A', "Repeat"},  {'B', "Cut"},     {'C', "Transpose"},
    {'D', "Tempo"}, {'E', "Marker"},  {'L', "Click"},   {'M', "Fermata"},
    {'N', "Caesura"}, {'Q', "Sfx"},   {'R', "Ambient Sfx"}, {'S', "OSC"},
};

} // namespace codes
