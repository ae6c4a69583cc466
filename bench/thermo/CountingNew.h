// Counts every call of the global operator new in the process (replaced in CountingNew.cpp).
#pragma once

long NewCallCount();
