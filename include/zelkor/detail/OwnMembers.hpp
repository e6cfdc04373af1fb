#pragma once
// Whether a primitive type has a member of a given name, whatever its kind or
// signature. The mode operations and hmac call a member of their own name in
// place of the generic one; they use this to tell "no such member" (use the
// generic one) from "a member that does not fit" (a compile error), so a
// member with a wrong signature is never silently passed over.
//
// Looking the name up in a class derived from both T and a class with a data
// member of that name is ambiguous exactly when T has a member of that name
// too, overloaded, static or not. A final T cannot be derived from; for it
// only a single, non-overloaded member is seen.

#include <type_traits>

#define ZELKOR_DETAIL_MEMBER_PROBE(name)                                                                 \
    struct NameProbe_##name {                                                                            \
        int name;                                                                                        \
    };                                                                                                   \
    template <class T>                                                                                   \
    struct NameProbeOf_##name : T, NameProbe_##name {};                                                  \
    template <class T>                                                                                   \
    concept HasMemberNamed_##name =                                                                      \
        (std::is_class_v<T> && !std::is_final_v<T> && !requires { &NameProbeOf_##name<T>::name; }) || \
        requires { &T::name; };

namespace zelkor::detail {

ZELKOR_DETAIL_MEMBER_PROBE(ecb)
ZELKOR_DETAIL_MEMBER_PROBE(unEcb)
ZELKOR_DETAIL_MEMBER_PROBE(ecbLazy)
ZELKOR_DETAIL_MEMBER_PROBE(unEcbLazy)
ZELKOR_DETAIL_MEMBER_PROBE(cbc)
ZELKOR_DETAIL_MEMBER_PROBE(unCbc)
ZELKOR_DETAIL_MEMBER_PROBE(cbcLazy)
ZELKOR_DETAIL_MEMBER_PROBE(unCbcLazy)
ZELKOR_DETAIL_MEMBER_PROBE(cfb)
ZELKOR_DETAIL_MEMBER_PROBE(unCfb)
ZELKOR_DETAIL_MEMBER_PROBE(cfbLazy)
ZELKOR_DETAIL_MEMBER_PROBE(unCfbLazy)
ZELKOR_DETAIL_MEMBER_PROBE(ofb)
ZELKOR_DETAIL_MEMBER_PROBE(unOfb)
ZELKOR_DETAIL_MEMBER_PROBE(ofbLazy)
ZELKOR_DETAIL_MEMBER_PROBE(unOfbLazy)
ZELKOR_DETAIL_MEMBER_PROBE(ctr)
ZELKOR_DETAIL_MEMBER_PROBE(unCtr)
ZELKOR_DETAIL_MEMBER_PROBE(ctrLazy)
ZELKOR_DETAIL_MEMBER_PROBE(unCtrLazy)
ZELKOR_DETAIL_MEMBER_PROBE(hmac)

}  // namespace zelkor::detail

#undef ZELKOR_DETAIL_MEMBER_PROBE
