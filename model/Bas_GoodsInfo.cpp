#include "model/Bas_GoodsInfo.h"

TBas_GoodsInfo::TBas_GoodsInfo(QObject* parent) : TBaseObj(parent) {}

TBas_GoodsInfo::~TBas_GoodsInfo() = default;
