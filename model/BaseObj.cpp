#include "model/BaseObj.h"

TBaseObj::TBaseObj(QObject* parent) : QObject(parent) {}

TBaseObj::~TBaseObj() = default;
