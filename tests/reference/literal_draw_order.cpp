#include "reference/literal_draw_order.h"

#include <utility>

void literal_order_draw_list(draw_entry* list, int count)
{
    for (int a = 0; a < count; ++a)
        for (int b = 0; b < count; ++b)
            if (list[a].y < list[b].y)
                std::swap(list[a], list[b]);
    for (int a = 0; a < count; ++a)
        for (int b = 0; b < count; ++b)
            if (list[a].x < list[b].x && list[a].y == list[b].y)
                std::swap(list[a], list[b]);
}
