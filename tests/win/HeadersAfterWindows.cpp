// Every public header, and the base and link headers the tool's other layers use, after a plain
// <windows.h> (min, max, DeleteFile, SendMessage, GetMessage and the rest as macros).
#include <windows.h>

#include <s22network/S22Bitmap.h>
#include <s22network/S22NetResult.h>
#include <s22network/S22Network.h>
#include <s22network/S22NetworkEvents.h>
#include <s22network/S22NetworkExport.h>
#include <s22network/S22NetworkVersion.h>
#include <s22network/S22Records.h>

#include "base/AsciiCase.h"
#include "base/LocalTime.h"
#include "base/PathText.h"
#include "base/TimeScale.h"
#include "base/WholeFile.h"
#include "link/DebugOutput.h"
#include "link/PortFailure.h"
#include "link/PortNames.h"
#include "link/S22NetGraphic.h"
#include "link/S22NetSerialPort.h"
#include "link/S22ServerSignType.h"
#include "link/S22SignLink.h"
#include "link/SerialDevice.h"

#include "MessageNames.h"

static_assert(S22NETWORK_VERSION_AT_LEAST(0, 0, 0), "the version header is there");

short DeleteFileUnderTheMacro(CS22SignLink& link)
{
    return link.DeleteFile(1, "A.TXT", nullptr, 0);
}
