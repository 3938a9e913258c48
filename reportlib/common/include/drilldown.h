// Drill-down descriptors now live with the report writer that takes them, in
// the base library (qxabase/drilldown.h).  This header keeps the report
// units' includes working until they include that header themselves.
#pragma once

#include "../../../platform/qxabase/include/qxabase/drilldown.h"
