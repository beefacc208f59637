#include "host/services/Factory.h"

namespace host {

Factory::Factory(plugin::TOperator op, FactoryServices services)
    : operator_(std::move(op)), services_(std::move(services))
{
}

} // namespace host
