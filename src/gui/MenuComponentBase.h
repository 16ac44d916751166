#pragma once

/** What the settings window's rows share: the height a row asks its column for. */
class MenuComponentBase
{
public:
    /** In pixels. */
    int rowHeight = 0;
};
