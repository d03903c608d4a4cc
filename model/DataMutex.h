#pragma once

#include "platform/ReentrantMutex.h"

namespace quillon::model {

// The one process-wide lock over the instrument tables, the option chain, the column
// set and the set of open popup boards. Created during static initialisation, before
// the application object runs. Re-entrant for the thread that holds it.
platform::ReentrantMutex& DataMutex();

inline void LockData() { DataMutex().Lock(); }
inline void UnlockData() { DataMutex().Unlock(); }

// Holds DataMutex for one scope.
class DataLock {
public:
    DataLock() { LockData(); }
    ~DataLock() { UnlockData(); }
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;
};

}  // namespace quillon::model
