#pragma once

#include <QString>

// One row of a DualRoledListModel: two texts and an integer. Derived items compute
// what they show by overriding first() and second().
class DualRoleItem
{
public:
    DualRoleItem() = default;
    virtual ~DualRoleItem();
    virtual QString first();
    virtual QString second();

    QString firstText;
    QString secondText;
    int value = 0;
};
