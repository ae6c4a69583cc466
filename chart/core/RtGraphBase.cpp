// The meta-object of the graph enumerations (TRtLegendPosition) is compiled here, once.
#include "chart/core/RtGraphBase.h"
