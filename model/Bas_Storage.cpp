#include "model/Bas_Storage.h"

Tbas_Storage::Tbas_Storage(QObject* parent) : TBaseObj(parent) {}

Tbas_Storage::~Tbas_Storage() = default;
