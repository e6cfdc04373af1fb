#pragma once
// Whether a primitive type has a member of a given name, whatever its kind or
// signature. The mode operations, hmac, GCM and CCM call a member of their own name
// in place of the generic one; they use this to tell "no such member" (use the
// generic one) from "a member that does not fit" (a compile error), so a
// member with a wrong signature is never silently passed over.
//
// Looking the name up in a class derived from both T and a class with a data
// member of that name is ambiguous exactly when T has a member of that name
// too, overloaded, static or not. A final T cannot be derived from; for it
// only a single, non-overloaded member is seen.
//
// A member that T's requires-clause removes for this T (a class template that
// offers cbc only for some of its instantiations) is still found by name, but
// cannot be used in any way; it counts as absent. "Usable" means: its address
// can be taken (a single member, data or function), it names a type, or it can
// be called on a T with zero to four arguments of any types. An overloaded set
// that is ambiguous for every such call is not seen here; the operations also
// count a member callable with their own argument types as present.

#include <type_traits>

#define ZELKOR_DETAIL_MEMBER_PROBE(name)                                                                   \
    struct NameProbe_##name {                                                                              \
        int name;                                                                                          \
    };                                                                                                     \
    template <class T>                                                                                     \
    struct NameProbeOf_##name : T, NameProbe_##name {};                                                    \
    template <class T>                                                                                     \
    concept NameFound_##name =                                                                             \
        (std::is_class_v<T> && !std::is_final_v<T> && !requires { &NameProbeOf_##name<T>::name; }) ||   \
        requires { &T::name; };                                                                            \
    template <class T>                                                                                     \
    concept UsableMember_##name =                                                                          \
        requires { &T::name; } || requires { typename T::name; } ||                                        \
        requires(T& t, AnyArgument a) { t.name(); } || requires(T& t, AnyArgument a) { t.name(a); } ||     \
        requires(T& t, AnyArgument a) { t.name(a, a); } || requires(T& t, AnyArgument a) { t.name(a, a, a); } || \
        requires(T& t, AnyArgument a) { t.name(a, a, a, a); };                                            \
    template <class T>                                                                                     \
    concept HasMemberNamed_##name = NameFound_##name<T> && UsableMember_##name<T>;

namespace zelkor::detail {

// Converts to any type; only ever named in unevaluated operands.
struct AnyArgument {
    template <class X>
    operator X() const;
};

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
ZELKOR_DETAIL_MEMBER_PROBE(gcmEncrypt)
ZELKOR_DETAIL_MEMBER_PROBE(gcmDecrypt)
ZELKOR_DETAIL_MEMBER_PROBE(ccmEncrypt)
ZELKOR_DETAIL_MEMBER_PROBE(ccmDecrypt)
ZELKOR_DETAIL_MEMBER_PROBE(kwWrap)
ZELKOR_DETAIL_MEMBER_PROBE(kwUnwrap)
ZELKOR_DETAIL_MEMBER_PROBE(kwpWrap)
ZELKOR_DETAIL_MEMBER_PROBE(kwpUnwrap)
ZELKOR_DETAIL_MEMBER_PROBE(cmac)
ZELKOR_DETAIL_MEMBER_PROBE(hkdfExtract)
ZELKOR_DETAIL_MEMBER_PROBE(hkdfExpand)
ZELKOR_DETAIL_MEMBER_PROBE(pbkdf2)
ZELKOR_DETAIL_MEMBER_PROBE(cfb8)
ZELKOR_DETAIL_MEMBER_PROBE(unCfb8)
ZELKOR_DETAIL_MEMBER_PROBE(cfb1)
ZELKOR_DETAIL_MEMBER_PROBE(unCfb1)
ZELKOR_DETAIL_MEMBER_PROBE(xts)
ZELKOR_DETAIL_MEMBER_PROBE(unXts)
ZELKOR_DETAIL_MEMBER_PROBE(cbcPKCS7)
ZELKOR_DETAIL_MEMBER_PROBE(unCbcPKCS7)

}  // namespace zelkor::detail

#undef ZELKOR_DETAIL_MEMBER_PROBE
