// Only here to own the precompiled header the tests share.
int main()
{
    return 0;
}
