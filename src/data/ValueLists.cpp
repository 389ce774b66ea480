#include "data/ValueLists.h"

#include <QHash>

namespace tf {

QStringList valueList(const QString &column)
{
    static const QHash<QString, QStringList> lists{
        {"Weather", {"Sunny", "Partly Cloudy", "Overcast", "Rain", "Fog", "Freezing Rain", "Snow"}},
        {"Wind Direction", {"North", "Northeast", "East", "Southeast", "South", "Southwest", "West", "Northwest"}},
        {"Wind Speed", {"Calm", "Light", "Moderate", "Strong", "Gusty"}},
        {"Air Temp", {"'Teens", "20's", "30's", "40's", "50's", "60's", "70's", "80's", "90's"}},
        {"Water Temp", {"30's", "40's", "50's", "60's", "70's", "80's", "90's"}},
        {"Water Color", {"Clear", "Stained", "Muddy"}},
        {"Structure",
         {"Banks", "Brush Piles", "Docks", "Coves", "Points", "Submerged Trees", "Stumps", "Logs", "Rocks", "Weeds",
          "Lily Pads"}},
        {"Best Depth", {"Top Water", "Shallow", "Medium", "Deep"}},
        {"Lure Color", {"Red", "Blue", "Brown", "Green", "Black", "White", "Yellow", "Shad", "Purple"}},
        {"Moon Phase", {"Full Moon", "Half Moon", "Quarter Moon", "Dark Moon"}},
        {"Location", {"Upper Lake", "Middle Lake", "Lower Lake", "Upper River", "Middle River", "Lower River"}},
        {"Month",
         {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November",
          "December"}},
        {"Lure",
         {"Crankbait", "Zara Spook", "Popper", "Buzz Bait", "Spinnerbait", "Texas Rig Worm", "Carolina Rig",
          "Jig n Pig", "Floating Worm", "Rattle Trap"}},
        {"Total Fish", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
    };
    return lists.value(column);
}

} // namespace tf
