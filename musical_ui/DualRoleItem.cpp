#include "DualRoleItem.h"

DualRoleItem::~DualRoleItem() = default;

QString DualRoleItem::first()
{
    return firstText;
}

QString DualRoleItem::second()
{
    return secondText;
}
