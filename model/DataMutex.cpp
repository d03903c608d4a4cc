#include "model/DataMutex.h"

namespace quillon::model {

namespace {
// Made during static initialisation so it exists before anything can lock it; never
// destroyed, so a late unlock during process exit still finds it.
platform::ReentrantMutex& dataMutex = *new platform::ReentrantMutex();
}  // namespace

platform::ReentrantMutex& DataMutex() { return dataMutex; }

}  // namespace quillon::model
