#include "platform/system/file_version_note.h"

FILE_VERSION_NOTE(1, 2, 3, 4);

int main() { return 0; }
