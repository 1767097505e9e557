// Gives a library without sources of its own yet a translation unit.
